#!/usr/bin/env bash
# Searchable PDFs: scriva-cli pdf --ocr on generated pages against the tesseract
# command's text and ocrmypdf's time.   bench/pdf/run.sh [BUILD_DIR [--count N] [--repeat N]]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured when
# missing). Installs the compared programs (Debian's tesseract-ocr and ocrmypdf)
# for this benchmark only. Other work on the machine slows both tools alike: they
# run alternately.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
build=${1:-$root/build-bench}
bench_build "$build" scriva-cli searchable_pages qxbcr
bench_install tesseract:tesseract-ocr ocrmypdf:ocrmypdf pdftotext:poppler-utils
export OMP_THREAD_LIMIT=1
exec python3 "$root/bench/pdf/searchable_bench.py" --cli "$build/bin/scriva-cli" \
  --pages "$build/bin/searchable_pages" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-pdf-bench}" "${@:2}"
