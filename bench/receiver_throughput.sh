#!/usr/bin/env bash
# Throughput of the receiver on the in-process simulated device with its
# output going to a pipe: tag reports and bytes per second and peak memory,
# at two run lengths (memory must not grow), next to the bytes per second
# that cat moves through the same kind of pipe, and dd in writes of one
# message each (the receiver flushes after every message: one write each).
# Then the receiver recording every message with --record, to a file in the
# scratch folder and to /dev/null (the script writer without the file
# system), and what the recording costs of its throughput.
# Times are the median of several runs of each; peak memory is the largest.
#
#   bash bench/receiver_throughput.sh [build-dir] [reports] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
reports=${2:-200000}
runs=${3:-3}
. bench/bench_common.sh
use_release_build "$build"
device=sim:0:1700000000

# Runs the command $runs times with its output into a pipe read by cat;
# prints "median_seconds peak_kib".
median_run() {
  local i start end
  for ((i = 0; i < runs; ++i)); do
    start=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$work/peak" "$@" | cat >/dev/null
    end=$EPOCHREALTIME
    echo "$start $end $(cat "$work/peak")"
  done | awk '{ print $2 - $1, $3 }' | sort -n |
    awk '{ s[NR] = $1; if ($2 > p) p = $2 } END { print s[int((NR + 1) / 2)], p }'
}

# One row of the table: name, tag reports (or -), bytes, seconds, peak KiB.
row() {
  awk -v n="$1" -v t="$2" -v b="$3" -v s="$4" -v p="$5" 'BEGIN {
    if (s <= 0) s = 1e-6
    printf "%-28s %12s %14s %12.1f %10d\n", n, t, t == "-" ? "-" : sprintf("%.0f", t / s), b / s / 1e6, p
  }'
}

printf 'median of %s runs each\n' "$runs"
printf '%-28s %12s %14s %12s %10s\n' run "tag reports" "tag reports/s" "MB/s" "peak KiB"
for count in $((reports / 10)) "$reports"; do
  TZ=UTC0 "$receiver" --count "$count" "$device" >"$work/out"
  tags=$(grep -c '^Tagname' "$work/out")
  bytes=$(stat -c %s "$work/out")
  read -r seconds peak < <(TZ=UTC0 median_run "$receiver" --count "$count" "$device")
  row "receiver, $count reports" "$tags" "$bytes" "$seconds" "$peak"
done
receiver_seconds=$seconds
read -r seconds peak < <(median_run cat "$work/out")
row "cat, the same bytes" - "$bytes" "$seconds" "$peak"
cat_seconds=$seconds
message_bytes=$((bytes / reports))
read -r seconds peak < <(median_run dd if="$work/out" bs="$message_bytes" status=none)
row "dd, writes of $message_bytes bytes" - "$bytes" "$seconds" "$peak"
awk -v r="$receiver_seconds" -v c="$cat_seconds" -v d="$seconds" 'BEGIN {
  printf "%-28s %12s %14s %11.0f%%\n", "receiver / cat", "", "", 100 * c / r
  printf "%-28s %12s %14s %11.0f%%\n", "receiver / dd", "", "", 100 * d / r
}'

# The same reports with --record; each run replaces the recording.
read -r seconds peak < <(TZ=UTC0 median_run "$receiver" --record "$work/recording" --force \
  --count "$reports" "$device")
row "receiver --record FILE" "$tags" "$bytes" "$seconds" "$peak"
record_seconds=$seconds
printf '%-28s %12s %14s %12.1f\n' "  the recording's MB/s" "" "" \
  "$(awk -v b="$(stat -c %s "$work/recording")" -v s="$seconds" 'BEGIN { print b / s / 1e6 }')"
read -r seconds peak < <(TZ=UTC0 median_run "$receiver" --record /dev/null --count "$reports" \
  "$device")
row "receiver --record /dev/null" "$tags" "$bytes" "$seconds" "$peak"
awk -v r="$receiver_seconds" -v f="$record_seconds" -v n="$seconds" 'BEGIN {
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to FILE", "", "", 100 * (1 - r / f)
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to /dev/null", "", "", 100 * (1 - r / n)
}'
