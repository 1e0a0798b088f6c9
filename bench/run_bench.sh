#!/usr/bin/env bash
# Times spritebake on a generated sprite set, in both output modes.
#   bench/run_bench.sh [COUNT] [RUNS]      (defaults: 2000 sprites, 5 timed runs per mode)
# Builds a Release tree (build-bench, or $BUILD_DIR), generates COUNT sprites with
# make_sprite_set in a temporary folder, runs each mode once to warm the file cache, then
# RUNS times, and prints the median and best wall time, the median CPU time (user + system;
# steadier than wall time on a busy machine), sprites per second, MB/s of source
# files read (the info mode reads each source once, the single sprite file twice: once for
# the table and once for the pixels) and the peak resident memory of the runs.
# SPRITE_SET=make_rare_tga_set times the tool on the rarer TGA layouts instead (colour-mapped,
# grey, 15/16-bit), which skip the sprite fast paths and are decoded whole by the reader's row
# decoders.
set -euo pipefail

count=${1:-2000}
runs=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
set_maker=${SPRITE_SET:-make_sprite_set}
case $set_maker in
  make_sprite_set | make_rare_tga_set) ;;
  *) echo "SPRITE_SET must be make_sprite_set or make_rare_tga_set" >&2; exit 2 ;;
esac

need=()
[ -x /usr/bin/time ] || need+=(time)
dpkg -s libbenchmark-dev >/dev/null 2>&1 || need+=(libbenchmark-dev)  # bench/ needs it
if [ ${#need[@]} -gt 0 ]; then
  echo "== installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi

echo "== building (Release) in $build"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DSPRITEBAKE_TESTS=OFF -DSPRITEBAKE_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target spritebake "$set_maker" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== generating $count sprites in $work"
"$build/bench/$set_maker" "$work" "$count"
source_bytes=$(find "$work/art" -type f -printf '%s\n' | awk '{s += $1} END {printf "%d", s}')

echo "== machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
printf '%-5s %5s %10s %10s %10s %12s %10s %12s %s\n' mode runs median_s best_s cpu_s \
  sprites/s MB/s peak_RSS_MB output
for mode in info bin; do
  ctl="$mode.ctl"
  passes=1
  [ "$mode" = bin ] && passes=2
  (cd "$work" && "$build/spritebake" "$ctl" >/dev/null)  # warm-up: file cache, first info file
  times=()
  cpus=()
  peak_kb=0
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N)
    (cd "$work" && /usr/bin/time -v -o "$work/time.txt" "$build/spritebake" "$ctl" >"$work/$mode.log")
    end=$(date +%s%N)
    times+=($((end - start)))
    kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$work/time.txt")
    [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
    cpus+=($(awk -F': ' '/User time|System time/ {s += $2} END {printf "%.3f", s}' "$work/time.txt"))
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  median_ns=${sorted[$((runs / 2))]}
  best_ns=${sorted[0]}
  cpu=$(printf '%s\n' "${cpus[@]}" | sort -n | sed -n "$((runs / 2 + 1))p")
  out=$(ls -l "$work/out" | awk 'NR > 1 {printf "%s %d B  ", $9, $5}')
  awk -v m="$median_ns" -v b="$best_ns" -v n="$count" -v bytes="$source_bytes" -v p="$passes" \
      -v kb="$peak_kb" -v mode="$mode" -v runs="$runs" -v out="$out" -v cpu="$cpu" 'BEGIN {
    ms = m / 1e9; bs = b / 1e9;
    printf "%-5s %5d %10.3f %10.3f %10.3f %12.0f %10.1f %12.1f %s\n",
           mode, runs, ms, bs, cpu, n / ms, bytes * p / ms / 1e6, kb / 1024, out }'
  rm -f "$work"/out/*
done
for mode in info bin; do
  echo "== what the last $mode run printed ($(grep -c . "$work/$mode.log" || true) lines):"
  head -n 5 "$work/$mode.log"
done
