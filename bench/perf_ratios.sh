#!/usr/bin/env bash
# Times spritebake against the stb_image peer with the shared harness (../shared/perf/run.sh)
# and reports the ratios tool / stb, the peak memory and the machine's load for each run.
#   bench/perf_ratios.sh [-n N] [--times T] [--runs R] [SETDIR]
#     -n N       sprites in the set (default 2000); the set is generated in SETDIR once
#     --times T  harness runs, each timing stb and the tool side by side (default 3)
#     --runs R   timed runs per command inside one harness run (default 10)
#     SETDIR     where the set lives (default /tmp/spritebake-perf-N); kept for later runs
# Builds a Release tree (build-perf, or $BUILD_DIR). Compare only figures of one harness run:
# on a shared machine absolute times move with the load, the ratio far less.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
harness=${PERF_HARNESS:-$root/../shared/perf/run.sh}
build=${BUILD_DIR:-$root/build-perf}
n=2000
times=3
runs=10
setdir=""
while [ $# -gt 0 ]; do
  case "$1" in
    -n) n=$2; shift 2 ;;
    --times) times=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) setdir=$1; shift ;;
  esac
done
setdir=${setdir:-/tmp/spritebake-perf-$n}
[ -x "$harness" ] || { echo "perf_ratios: no harness at $harness" >&2; exit 1; }

echo "== building (Release) in $build"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DSPRITEBAKE_TESTS=OFF -DSPRITEBAKE_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target spritebake >/dev/null

printf '| run | N | info tool/stb | bin tool/stb | tool_info RSS MiB | tool_bin RSS MiB | load before | load after |\n'
printf '|---|---:|---:|---:|---:|---:|---|---|\n'
for ((t = 1; t <= times; t++)); do
  before=$(cut -d' ' -f1-3 /proc/loadavg)
  log=$(mktemp)
  "$harness" --bin "$build/spritebake" -n "$n" --runs "$runs" --no-magick \
    --only stb_info,stb_bin,tool_info,tool_bin "$setdir" >"$log" 2>&1 || {
    tail -n 20 "$log" >&2
    rm -f "$log"
    exit 1
  }
  after=$(cut -d' ' -f1-3 /proc/loadavg)
  if grep -q 'MISMATCH\|entries differ\|expected' "$log"; then
    echo "perf_ratios: the harness found wrong outputs:" >&2
    grep 'MISMATCH\|differ\|expected' "$log" >&2
  fi
  ratios=$(awk -F'|' '/^\| tool \/ stb /{gsub(/ /, "", $3); gsub(/ /, "", $4); print $3, $4}' "$log")
  rss() { awk -F'|' -v c="$1" '{gsub(/ /, "", $2)} $2 == c {gsub(/ /, "", $7); print $7}' "$log"; }
  printf '| %d | %d | %s | %s | %s | %s | %s | %s |\n' "$t" "$n" ${ratios:-n/a n/a} \
    "$(rss tool_info)" "$(rss tool_bin)" "$before" "$after"
  rm -f "$log"
done
