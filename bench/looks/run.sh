#!/usr/bin/env bash
# Page looks on the generated set against ImageMagick's flat-field division:
#   bench/looks/run.sh [BUILD_DIR]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured when
# missing). Builds look_set, scriva-cli and the recognition library there, and
# installs ImageMagick (Debian imagemagick) for the comparison only. Recognition
# runs on Tesseract through scriva-cli ocr, one thread.
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
cmake --build "$build" --target look_set scriva-cli qxbcr >&2
if ! [ -x /usr/bin/convert-im6.q16 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends imagemagick
fi
export OMP_THREAD_LIMIT=1 MAGICK_THREAD_LIMIT=1 QT_QPA_PLATFORM=offscreen
exec python3 "$root/bench/looks/look_bench.py" --build "$build" \
  --text "$root/bench/ocr/texts/eng.txt" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-look-bench}"
