#!/usr/bin/env bash
# Tag reports per second into the receiver, output to a pipe: from the
# device simulator over loopback TCP, next to the in-process simulated
# device with the same plant, and to cat moving the same bytes; then from
# the simulator replaying a recording of the same reports as fast as the
# receiver reads (--pace recorded --speed 0), with the simulator's peak
# memory in both (a replay holds one message of the script at a time).
#
#   bash bench/network_throughput.sh [build-dir] [reports]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
reports=${2:-200000}
. bench/bench_common.sh
use_release_build "$build"
start=1700000000

# The first $reports message reports of the plant, and their bytes.
TZ=UTC0 "$receiver" --count "$reports" "sim:0:$start" >"$work/reference"
tags=$(grep -c '^Tagname' "$work/reference")
bytes=$(stat -c %s "$work/reference")

timed() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" | cat >/dev/null
  cat "$work/time"
}
row() {
  awk -v n="$1" -v t="$tags" -v b="$bytes" -v s="$2" -v p="$3" \
    'BEGIN { if (s <= 0) s = 0.01; printf "%-26s %14.0f %10.1f %10d\n", n, t / s, b / s / 1e6, p }'
}

printf '%s message reports, %s tag reports, %s bytes\n' "$reports" "$tags" "$bytes"
printf '%-26s %14s %10s %10s\n' run "tag reports/s" "MB/s" "peak KiB"
read -r seconds peak < <(TZ=UTC0 timed "$receiver" --count "$reports" "sim:0:$start")
row "in-process sim:0" "$seconds" "$peak"
local_seconds=$seconds

start_devsim "$work/devsim" --interval 0 --start "$start"
read -r seconds peak < <(TZ=UTC0 timed "$receiver" --count "$reports" "$address")
row "simulator over loopback" "$seconds" "$peak"
plant_seconds=$seconds
plant_peak=$(peak_rss "$devsim_pid")
stop_devsim
awk -v a="$local_seconds" -v b="$seconds" \
  'BEGIN { if (b <= 0) b = 0.01; printf "%-26s %13.0f%%\n", "network / in-process", 100 * a / b }'

TZ=UTC0 "$receiver" --record "$work/plant.script" --count "$reports" "sim:0:$start" >/dev/null
start_devsim "$work/replay" --script "$work/plant.script" --pace recorded --speed 0
read -r seconds peak < <(TZ=UTC0 timed "$receiver" --count "$reports" "$address")
row "replay, --speed 0" "$seconds" "$peak"
replay_peak=$(peak_rss "$devsim_pid")
stop_devsim
awk -v a="$plant_seconds" -v b="$seconds" \
  'BEGIN { if (b <= 0) b = 0.01; printf "%-26s %13.0f%%\n", "replay / simulator", 100 * a / b }'
printf 'simulator peak KiB: %s with the plant, %s replaying a script of %s MB\n' \
  "$plant_peak" "$replay_peak" "$(($(stat -c %s "$work/plant.script") / 1000000))"

read -r seconds peak < <(timed cat "$work/reference")
awk -v b="$bytes" -v s="$seconds" -v p="$peak" \
  'BEGIN { if (s <= 0) s = 0.01; printf "%-26s %14s %10.1f %10d\n", "cat, the same bytes", "-", b / s / 1e6, p }'
