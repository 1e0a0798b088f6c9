#!/usr/bin/env bash
# Peak memory and time of spritebake on hostile control text, the figures its limits are set
# against (a benchmark, not a test: the numbers depend on the machine):
#   --check on N MB of "a" lines (each an unexpected word, so one diagnostic a line), at 2 MB and
#   20 MB, so that the time can be seen to grow linearly; target: peak RSS within 4 x the text's
#   size + 64 MiB;
#   an endless standard input (`yes | spritebake -`), refused at 2^31 bytes; target: peak RSS at
#   most 2 GiB + 64 MiB.
#   bench/hostile_text.sh [PATH/TO/spritebake]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-}
if [ -z "$tool" ]; then
  build=${BUILD_DIR:-$root/build-bench}
  generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DSPRITEBAKE_TESTS=OFF -DSPRITEBAKE_BENCH=OFF >/dev/null
  cmake --build "$build" -j2 --target spritebake >/dev/null
  tool=$build/spritebake
fi
[ -x /usr/bin/time ] || { echo "hostile_text: needs /usr/bin/time (Debian package time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '| case | text MB | seconds | peak RSS MiB | limit MiB | status |\n|---|---:|---:|---:|---:|---:|\n'
for mb in 2 20; do
  python3 -c "import sys; sys.stdout.write('a\n' * ($mb * 500000))" >"$work/a.ctl"
  set +e
  /usr/bin/time -f '%e %M' -o "$work/time" "$tool" --check "$work/a.ctl" >/dev/null
  status=$?
  set -e
  read -r secs kib < <(tail -n 1 "$work/time")
  bytes=$(stat -c %s "$work/a.ctl")
  printf '| --check | %d | %s | %d | %d | %d |\n' "$mb" "$secs" $((kib / 1024)) \
    $((4 * bytes / 1048576 + 64)) "$status"
done
set +e
/usr/bin/time -f '%e %M' -o "$work/time" bash -c "yes | '$tool' - >/dev/null"
status=$?
set -e
read -r secs kib < <(tail -n 1 "$work/time")
printf '| yes \\| spritebake - | endless | %s | %d | %d | %d |\n' "$secs" $((kib / 1024)) $((2048 + 64)) "$status"
