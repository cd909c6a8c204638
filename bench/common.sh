# Sourced by the benchmarks' run.sh scripts.
#   bench_build DIR TARGET...   configures DIR with the benchmarks on (build-bench, the
#                               Release "bench" preset, is made when missing; another
#                               folder must be configured already) and builds the targets
#   bench_install CMD:PACKAGE...  installs the Debian package of each command not found
#                               (programs compared against, for the benchmarks only)
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bench_build() {
  local build=$1
  shift
  if [ ! -f "$build/build.ninja" ]; then
    if [ "$build" = "$bench_root/build-bench" ]; then
      (cd "$bench_root" && cmake --preset bench >/dev/null)
    else
      echo "run.sh: $build is not configured" >&2
      return 1
    fi
  fi
  cmake -S "$bench_root" -B "$build" -DSCRIVA_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" --target "$@" >&2
}

bench_install() {
  local missing=() pair sudo=""
  for pair in "$@"; do
    command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}
