#!/usr/bin/env bash
# Page looks on the generated set against ImageMagick's flat-field division:
#   bench/looks/run.sh [BUILD_DIR]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured when
# missing). Builds look_set, scriva-cli and the recognition library there, and
# installs ImageMagick (Debian imagemagick) for the comparison only. Recognition
# runs on Tesseract through scriva-cli ocr, one thread.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
build=${1:-$root/build-bench}
bench_build "$build" look_set scriva-cli qxbcr
bench_install /usr/bin/convert-im6.q16:imagemagick
export OMP_THREAD_LIMIT=1 MAGICK_THREAD_LIMIT=1 QT_QPA_PLATFORM=offscreen
exec python3 "$root/bench/looks/look_bench.py" --build "$build" \
  --text "$root/bench/ocr/texts/eng.txt" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-look-bench}"
