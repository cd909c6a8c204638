#!/usr/bin/env bash
# Times one job three ways in the same run: 20 camera photos of 5 megapixels
# (JPEG, quality 90) into one PDF with scriva-cli pdf, ImageMagick's
# "convert *.jpg out.pdf" and img2pdf. Prints the median wall time of RUNS runs
# (default 5) of each and the ratios. img2pdf is installed here when missing
# (it is needed by this benchmark only). ImageMagick's default policy forbids
# writing PDF; as root the script lifts that for its own commands only, in a
# private mount namespace.
#   bench/export/compare_pdf.sh            (build folder: build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${SCRIVA_BENCH_BUILD_DIR:-$root/build-bench}
runs=${RUNS:-5}

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCRIVA_BUILD_BENCH=ON \
    -DSCRIVA_BUILD_TESTS=OFF -DSCRIVA_BUILD_GUI=OFF >/dev/null
fi
cmake --build "$build" --target bench_export scriva-cli >/dev/null

if ! command -v img2pdf >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends img2pdf >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/bench_export" --write-photos "$work/photos" 20
photos=("$work"/photos/*.jpg)

magick=(convert)
policy=/etc/ImageMagick-6/policy.xml
if [ -f "$policy" ] && grep -q 'rights="none" pattern="PDF"' "$policy"; then
  if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
    sed 's/rights="none" pattern="PDF"/rights="read|write" pattern="PDF"/' "$policy" >"$work/policy.xml"
    magick=(unshare -m sh -c 'mount --bind "$0" /etc/ImageMagick-6/policy.xml && exec convert "$@"' "$work/policy.xml")
  else
    magick=()
  fi
fi

# Median wall time in seconds of running "$@" $runs times.
median() {
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=("$(( (end - start) / 1000000 ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.3f", a[int((NR+1)/2)]/1000}'
}

size_mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN {printf "%.1f", b/1e6}'; }

echo "20 photos, $(du -sm "$work/photos" | cut -f1) MB of JPEG, median of $runs runs, $(nproc) cores"
scriva=$(median "$build/bin/scriva-cli" pdf "$work/scriva.pdf" "${photos[@]}")
img2=$(median img2pdf "${photos[@]}" -o "$work/img2pdf.pdf")
printf '%-28s %8s s  %6s MB\n' "scriva-cli pdf" "$scriva" "$(size_mb "$work/scriva.pdf")"
printf '%-28s %8s s  %6s MB\n' "img2pdf" "$img2" "$(size_mb "$work/img2pdf.pdf")"
if [ ${#magick[@]} -gt 0 ]; then
  im=$(median "${magick[@]}" "${photos[@]}" "$work/magick.pdf")
  printf '%-28s %8s s  %6s MB\n' "convert *.jpg out.pdf" "$im" "$(size_mb "$work/magick.pdf")"
  awk -v s="$scriva" -v m="$im" 'BEGIN {printf "scriva / ImageMagick: %.2fx (target <= 0.5x)\n", s/m}'
else
  echo "ImageMagick may not write PDF here (policy) and cannot be lifted without root: skipped"
fi
awk -v s="$scriva" -v i="$img2" 'BEGIN {printf "scriva / img2pdf: %.2fx (target <= 1.5x)\n", s/i}'
pages=$(pdfinfo "$work/scriva.pdf" | awk '/^Pages:/ {print $2}')
[ "$pages" = 20 ] || { echo "scriva-cli wrote $pages pages, not 20" >&2; exit 1; }
