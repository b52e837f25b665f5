#!/usr/bin/env bash
# Throughput of the receiver on the in-process simulated device with its
# output going to a pipe: tag reports and bytes per second and peak memory,
# at two run lengths (memory must not grow), next to the bytes per second
# that cat moves through the same kind of pipe.
#
#   bash bench/receiver_throughput.sh [build-dir] [reports]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
reports=${2:-200000}
. bench/bench_common.sh
use_release_build "$build"
device=sim:0:1700000000

# One timed run: prints "seconds peak_kib".
timed() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" | cat >/dev/null
  cat "$work/time"
}

printf '%-28s %12s %14s %12s %10s\n' run "tag reports" "tag reports/s" "MB/s" "peak KiB"
for count in $((reports / 10)) "$reports"; do
  TZ=UTC0 "$receiver" --count "$count" "$device" >"$work/out"
  tags=$(grep -c '^Tagname' "$work/out")
  bytes=$(stat -c %s "$work/out")
  read -r seconds peak < <(TZ=UTC0 timed "$receiver" --count "$count" "$device")
  awk -v n="receiver, $count reports" -v t="$tags" -v b="$bytes" -v s="$seconds" -v p="$peak" \
    'BEGIN { if (s <= 0) s = 0.01; printf "%-28s %12d %14.0f %12.1f %10d\n", n, t, t / s, b / s / 1e6, p }'
done
read -r seconds peak < <(timed cat "$work/out")
awk -v b="$bytes" -v s="$seconds" -v p="$peak" \
  'BEGIN { if (s <= 0) s = 0.01; printf "%-28s %12s %14s %12.1f %10d\n", "cat, the same bytes", "-", "-", b / s / 1e6, p }'
