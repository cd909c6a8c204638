#!/usr/bin/env bash
# First paint of the thumbnail column for builds side by side (for example the
# program before and after a change), on a machine whose load may change:
#   bench/thumbs/first_paint.sh [ROUNDS] NAME=BENCH_THUMBS_VIEW...
# Each build first runs the column once whole (its figures printed: all cells,
# processor time, memory a photo), which fills a shared thumbnail cache of its
# own. Then, ROUNDS times (default 9) and alternating between the builds, a
# first start (empty cache) and a second start (that filled cache) are timed
# until every visible cell shows its picture; the medians of that time and of
# the processor time the process took until then are printed.
# Photos: ${SCRIVA_BENCH_DIR:-/tmp/scriva-thumbs-bench}/photos-2000, made by
# bench/thumbs/run.sh 2000. Another build of bench_thumbs_view: see README
# ("Memory a photo and the shared thumbnail cache").
set -euo pipefail
rounds=9
if [[ ${1:-} =~ ^[0-9]+$ ]]; then rounds=$1; shift; fi
[ $# -ge 1 ] || { echo "usage: $0 [ROUNDS] NAME=BENCH_THUMBS_VIEW..." >&2; exit 2; }
work=${SCRIVA_BENCH_DIR:-/tmp/scriva-thumbs-bench}
photos=$work/photos-2000
[ -d "$photos" ] || { echo "$photos: missing (bench/thumbs/run.sh 2000 makes it)" >&2; exit 1; }
runs=$(mktemp -d)
trap 'rm -rf "$runs"' EXIT

for run in "$@"; do
  name=${run%%=*}
  echo "== $name, the whole column once (first start)"
  XDG_CACHE_HOME=$runs/$name-full "${run#*=}" "$photos" 900 2>/dev/null
done

visible() { awk '/^visible/ { print $2, substr($4, 2) }'; }
for round in $(seq 1 "$rounds"); do
  for run in "$@"; do
    name=${run%%=*} bin=${run#*=}
    rm -rf "$runs/empty" && mkdir "$runs/empty"
    XDG_CACHE_HOME=$runs/empty "$bin" "$photos" 900 --first-paint 2>/dev/null | visible \
      >>"$runs/$name.first"
    XDG_CACHE_HOME=$runs/$name-full "$bin" "$photos" 900 --first-paint 2>/dev/null | visible \
      >>"$runs/$name.second"
  done
  echo "-- round $round of $rounds done (load $(cut -d' ' -f1 /proc/loadavg))"
done

median() { # column of a file
  cut -d' ' -f"$2" "$1" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
list() { cut -d' ' -f"$2" "$1" | tr '\n' ' ' | sed 's/ $//'; }
echo "== every visible cell painted: median ms (all runs); processor time until then"
for run in "$@"; do
  name=${run%%=*}
  for start in first second; do
    f=$runs/$name.$start
    printf '%-8s %-6s start  wall %5s (%s)\n%-22s cpu  %5s (%s)\n' "$name" "$start" \
      "$(median "$f" 1)" "$(list "$f" 1)" "" "$(median "$f" 2)" "$(list "$f" 2)"
  done
done
