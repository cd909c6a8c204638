#!/usr/bin/env bash
# scriva-cli process against ImageMagick doing the same steps (straighten,
# trim to the page, a quarter turn, JPEG) on the demo camera's 5 MP frame, in
# the same run. Prints the best of RUNS wall times of each and their ratio.
#   bench/photo/compare_convert.sh [RUNS] [BUILD_DIR]
# Installs ImageMagick (apt) when convert is missing; nothing else needs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-5}
build=${2:-$root/build}
cli=$build/bin/scriva-cli
if ! command -v convert >/dev/null; then
  apt-get install -y --no-install-recommends imagemagick >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache HOME=$work
"$cli" capture --camera demo "$work/frame.bmp" >/dev/null

best() { # best wall time in ms of running "$@" $runs times
  local best=999999
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    local ms=$(((t1 - t0) / 1000000))
    ((ms < best)) && best=$ms
  done
  echo "$best"
}
# No camera model: no page cut, the same steps as the command below.
ours=$(best "$cli" process "$work/frame.bmp" "$work/ours.jpg" --camera-model 0 --direction 1)
theirs=$(best convert "$work/frame.bmp" -deskew 40% -trim -rotate 90 "$work/theirs.jpg")
ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.3f", a / b }')
echo "scriva-cli process: $ours ms, convert: $theirs ms, ratio $ratio (target <= 0.2)"
