#!/usr/bin/env bash
# Tag reports per second into the receiver, output to a pipe: from the
# device simulator over loopback TCP, next to the in-process simulated
# device with the same plant, and to cat moving the same bytes; then from
# the simulator replaying a recording of the same reports as fast as the
# receiver reads (--pace recorded --speed 0), with the simulator's peak
# memory in both (a replay holds one message of the script at a time).
#
#   bash bench/network_throughput.sh [build-dir] [reports] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
reports=${2:-200000}
runs=${3:-3}
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

TZ=UTC0 "$receiver" --record "$work/plant.script" --count "$reports" "sim:0:$start" >/dev/null

# Rounds of the three runs, one after another, so that a machine whose
# speed drifts (a shared VM) slows them alike; the medians of each.
: >"$work/local"
: >"$work/plant"
: >"$work/replay"
for ((i = 0; i < runs; ++i)); do
  TZ=UTC0 timed "$receiver" --count "$reports" "sim:0:$start" >>"$work/local"
  start_devsim "$work/devsim" --interval 0 --start "$start"
  TZ=UTC0 timed "$receiver" --count "$reports" "$address" >>"$work/plant"
  plant_peak=$(peak_rss "$devsim_pid")
  stop_devsim
  start_devsim "$work/replay_log" --script "$work/plant.script" --pace recorded --speed 0
  TZ=UTC0 timed "$receiver" --count "$reports" "$address" >>"$work/replay"
  replay_peak=$(peak_rss "$devsim_pid")
  stop_devsim
done

printf '%s message reports, %s tag reports, %s bytes; the median of %s runs each\n' \
  "$reports" "$tags" "$bytes" "$runs"
printf '%-26s %14s %10s %10s\n' run "tag reports/s" "MB/s" "peak KiB"
read -r local_seconds peak < <(median_of_runs "$work/local")
row "in-process sim:0" "$local_seconds" "$peak"
read -r plant_seconds peak < <(median_of_runs "$work/plant")
row "simulator over loopback" "$plant_seconds" "$peak"
awk -v a="$local_seconds" -v b="$plant_seconds" \
  'BEGIN { if (b <= 0) b = 0.01; printf "%-26s %13.0f%%\n", "network / in-process", 100 * a / b }'
read -r seconds peak < <(median_of_runs "$work/replay")
row "replay, --speed 0" "$seconds" "$peak"
awk -v a="$plant_seconds" -v b="$seconds" \
  'BEGIN { if (b <= 0) b = 0.01; printf "%-26s %13.0f%%\n", "replay / simulator", 100 * a / b }'
printf 'simulator peak KiB: %s with the plant, %s replaying a script of %s MB\n' \
  "$plant_peak" "$replay_peak" "$(($(stat -c %s "$work/plant.script") / 1000000))"

read -r seconds peak < <(timed cat "$work/reference")
awk -v b="$bytes" -v s="$seconds" -v p="$peak" \
  'BEGIN { if (s <= 0) s = 0.01; printf "%-26s %14s %10.1f %10d\n", "cat, the same bytes", "-", b / s / 1e6, p }'
