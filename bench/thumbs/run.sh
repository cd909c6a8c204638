#!/usr/bin/env bash
# Thumbnail benchmark: 500 photos of 5 MP, the column on them (first start and
# second start from the shared thumbnail cache; time and memory per photo), and
# "scriva-cli thumbs --size 200" against "vipsthumbnail -s 200" on the same files.
#   bench/thumbs/run.sh [COUNT]
# Builds the bench preset into build-bench; photos are made once into
# ${SCRIVA_BENCH_DIR:-/tmp/scriva-thumbs-bench}/photos. vipsthumbnail comes from
# Debian's libvips-tools, installed here for the comparison only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-500}
work=${SCRIVA_BENCH_DIR:-/tmp/scriva-thumbs-bench}
photos=$work/photos-$count
bin=$root/build-bench/bin

if ! command -v vipsthumbnail >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends libvips-tools >/dev/null
fi
[ -f "$root/build-bench/build.ninja" ] || cmake --preset bench -S "$root" >/dev/null
cmake --build "$root/build-bench" --target bench_thumbs_photos bench_thumbs_view bench_thumbs_decode scriva-cli >/dev/null

if [ "$(ls "$photos" 2>/dev/null | wc -l)" -ne "$count" ]; then
  rm -rf "$photos" && mkdir -p "$photos"
  "$bin/bench_thumbs_photos" "$photos" "$count"
fi
echo "== $(nproc) cores; $count photos, $(du -sh "$photos" | cut -f1) on disk"
cat "$photos"/* > /dev/null # the same warm file cache for every contender

echo "== one thumbnail, one thread"
"$bin/bench_thumbs_decode" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

# The column keeps its thumbnails in the desktop's shared cache: a private one
# here, empty for the first start and filled by it for the second.
export XDG_CACHE_HOME=$work/cache
rm -rf "$XDG_CACHE_HOME"
echo "== the column (offscreen, 300 x 900 px, 4 cells per pane height), first start"
"$bin/bench_thumbs_view" "$photos" 900
echo "== the column again, thumbnails from the shared cache"
"$bin/bench_thumbs_view" "$photos" 900
unset XDG_CACHE_HOME

# Wall time, CPU time and peak memory of one command.
measure() {
  python3 - "$@" <<'PY'
import os, resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
wall = time.monotonic() - start
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{wall:.3f} {r.ru_utime + r.ru_stime:.3f} {r.ru_maxrss / 1024:.0f}")
PY
}

report() { # name wall cpu rss
  awk -v n="$1" -v w="$2" -v c="$3" -v m="$4" -v k="$count" \
    'BEGIN { printf "%-15s %6.2f s wall  %5.1f ms/photo  %5.1f ms CPU/photo  %4d MB peak\n", n, w, 1000*w/k, 1000*c/k, m }'
}

echo "== scriva-cli thumbs vs vipsthumbnail, longest side 200"
for round in 1 2; do
  rm -rf "$work/out-scriva" "$work/out-vips" && mkdir -p "$work/out-vips"
  read -r sw sc sm < <(measure "$bin/scriva-cli" thumbs "$photos" "$work/out-scriva" --size 200)
  read -r vw vc vm < <(measure vipsthumbnail -s 200 -o "$work/out-vips/%s.jpg" "$photos"/*.jpg)
  echo "-- round $round"
  report "scriva-cli" "$sw" "$sc" "$sm"
  report "vipsthumbnail" "$vw" "$vc" "$vm"
  awk -v s="$sw" -v v="$vw" 'BEGIN { printf "ratio           %.2fx of vipsthumbnail per photo\n", s / v }'
done
