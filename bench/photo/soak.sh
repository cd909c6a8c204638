#!/usr/bin/env bash
# Auto-capture soak: runs the capture view's auto-capture with the demo camera
# at a 3 s interval for MINUTES (default 15) and checks that every tick saved
# exactly one photo, none was lost or overwritten, and resident memory stayed
# flat. Prints the result as one JSON line; exit 0 when all holds.
#   bench/photo/soak.sh [MINUTES] [BUILD_DIR]
# BUILD_DIR (default build-bench) must be configured with SCRIVA_BUILD_BENCH=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
minutes=${1:-15}
build=${2:-$root/build-bench}
cmake --build "$build" --target soak_autocapture >/dev/null
exec "$build/bin/soak_autocapture" "$minutes" 3
