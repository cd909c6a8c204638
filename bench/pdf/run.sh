#!/usr/bin/env bash
# Searchable PDFs: scriva-cli pdf --ocr on generated pages against the tesseract
# command's text and ocrmypdf's time.   bench/pdf/run.sh [BUILD_DIR [--count N] [--repeat N]]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured when
# missing). Installs the compared programs (Debian's tesseract-ocr and ocrmypdf)
# for this benchmark only. Other work on the machine slows both tools alike: they
# run alternately.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench}
if [ ! -f "$build/build.ninja" ]; then
  if [ "$build" = "$root/build-bench" ]; then
    (cd "$root" && cmake --preset bench >/dev/null)
  else
    echo "run.sh: $build is not configured" >&2; exit 1
  fi
fi
cmake -S "$root" -B "$build" -DSCRIVA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target scriva-cli searchable_pages qxbcr
missing=()
command -v tesseract >/dev/null || missing+=(tesseract-ocr)
command -v ocrmypdf >/dev/null || missing+=(ocrmypdf)
command -v pdftotext >/dev/null || missing+=(poppler-utils)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
export OMP_THREAD_LIMIT=1
exec python3 "$root/bench/pdf/searchable_bench.py" --cli "$build/bin/scriva-cli" \
  --pages "$build/bin/searchable_pages" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-pdf-bench}" "${@:2}"
