#!/usr/bin/env bash
# Speed and accuracy of scriva-cli ocr against the tesseract command on
# generated pages.      bench/ocr/run.sh [BUILD_DIR [--repeat N]]
# BUILD_DIR defaults to build-bench (the Release "bench" preset, configured
# when missing). Builds scriva-cli and the page generator there, and installs
# the tesseract command (Debian tesseract-ocr) for the comparison only.
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
cmake --build "$build" --target scriva-cli ocr_pages qxbcr
if ! command -v tesseract >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends tesseract-ocr
fi
export OMP_THREAD_LIMIT=1
exec python3 "$root/bench/ocr/ocr_bench.py" --cli "$build/bin/scriva-cli" \
  --pages "$build/bin/ocr_pages" \
  --work "${SCRIVA_BENCH_DIR:-${TMPDIR:-/tmp}/scriva-ocr-bench}" "${@:2}"
