#!/usr/bin/env bash
# Speed and accuracy of scriva-cli ocr against the tesseract command on
# generated pages.      bench/ocr/run.sh [BUILD_DIR [--repeat N]]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured
# when missing). Builds scriva-cli and the page generator there, and installs
# the tesseract command (Debian tesseract-ocr) for the comparison only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
build=${1:-$root/build-bench}
bench_build "$build" scriva-cli ocr_pages qxbcr
bench_install tesseract:tesseract-ocr
export OMP_THREAD_LIMIT=1
exec python3 "$root/bench/ocr/ocr_bench.py" --cli "$build/bin/scriva-cli" \
  --pages "$build/bin/ocr_pages" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-ocr-bench}" "${@:2}"
