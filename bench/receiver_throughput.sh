#!/usr/bin/env bash
# Throughput of the receiver on the in-process simulated device with its
# output going to a pipe, in the text format and in JSON: tag reports and
# bytes per second and peak memory, at two run lengths (memory must not
# grow), next to the bytes per second that cat moves through the same kind
# of pipe, and dd in writes of one message each (the receiver flushes after
# every message: one write each). Times are the median of several runs of
# each; peak memory is the largest. Then the text format again, each run
# followed by one with --record to a file in the scratch folder and one to
# /dev/null (the script writer without the file system), and what
# recording costs of the receiver's throughput; then what none, ten and a
# thousand --expect cost, in both formats; last what --metrics FILE and
# --stale cost.
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

# Runs the command once with its output into a pipe read by cat; prints
# "seconds peak_kib".
one_run() {
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f '%M' -o "$work/peak" "$@" 2>/dev/null | cat >/dev/null
  end=$EPOCHREALTIME
  echo "$start $end $(cat "$work/peak")" | awk '{ print $2 - $1, $3 }'
}

# Runs the command $runs times so; prints "median_seconds peak_kib".
median_run() {
  local i
  for ((i = 0; i < runs; ++i)); do one_run "$@"; done >"$work/runs"
  median_of_runs "$work/runs"
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
for format in text json; do
  for count in $((reports / 10)) "$reports"; do
    TZ=UTC0 "$receiver" --format "$format" --stats --count "$count" "$device" \
      >"$work/$format" 2>"$work/stats"
    tags=$(sed -n 's/^Tags shown: //p' "$work/stats")
    bytes=$(stat -c %s "$work/$format")
    read -r seconds peak < <(TZ=UTC0 median_run "$receiver" --format "$format" --count "$count" \
      "$device")
    row "receiver $format, $count msgs" "$tags" "$bytes" "$seconds" "$peak"
  done
  eval "${format}_seconds=$seconds ${format}_tags=$tags"
done
bytes=$(stat -c %s "$work/text")
read -r seconds peak < <(median_run cat "$work/text")
row "cat, the text bytes" - "$bytes" "$seconds" "$peak"
cat_seconds=$seconds
read -r seconds peak < <(median_run cat "$work/json")
row "cat, the JSON bytes" - "$(stat -c %s "$work/json")" "$seconds" "$peak"
message_bytes=$((bytes / reports))
read -r seconds peak < <(median_run dd if="$work/text" bs="$message_bytes" status=none)
row "dd, writes of $message_bytes bytes" - "$bytes" "$seconds" "$peak"
awk -v r="$text_seconds" -v c="$cat_seconds" -v d="$seconds" -v j="$json_seconds" \
  -v rt="$text_tags" -v jt="$json_tags" 'BEGIN {
  printf "%-28s %12s %14s %11.0f%%\n", "receiver text / cat", "", "", 100 * c / r
  printf "%-28s %12s %14s %11.0f%%\n", "receiver text / dd", "", "", 100 * d / r
  printf "%-28s %12s %14s %11.0f%%\n", "json / text, tag reports/s", "", "", 100 * (jt / j) / (rt / r)
}'

# What recording costs: rounds of three runs, the text alone, with --record
# to a file and to /dev/null, so that a machine whose speed drifts (a
# shared VM) slows all three alike; the medians of each. Each recording
# goes to a file that is not there yet: replacing a large recording costs a
# truncation at the start and, on ext4, a flush of the rewritten file at
# the close, once a run and not a message; the last row shows that cost.
: >"$work/alone"
: >"$work/to_file"
: >"$work/to_null"
for ((i = 0; i < runs; ++i)); do
  TZ=UTC0 one_run "$receiver" --count "$reports" "$device" >>"$work/alone"
  rm -f "$work/recording"
  TZ=UTC0 one_run "$receiver" --record "$work/recording" --count "$reports" "$device" \
    >>"$work/to_file"
  TZ=UTC0 one_run "$receiver" --record /dev/null --count "$reports" "$device" >>"$work/to_null"
done
read -r text_seconds peak < <(median_of_runs "$work/alone")
row "receiver text, again" "$text_tags" "$bytes" "$text_seconds" "$peak"
read -r record_seconds peak < <(median_of_runs "$work/to_file")
row "receiver --record FILE" "$text_tags" "$bytes" "$record_seconds" "$peak"
printf '%-28s %12s %14s %12.1f\n' "  the recording's MB/s" "" "" \
  "$(awk -v b="$(stat -c %s "$work/recording")" -v s="$record_seconds" 'BEGIN { print b / s / 1e6 }')"
read -r null_seconds peak < <(median_of_runs "$work/to_null")
row "receiver --record /dev/null" "$text_tags" "$bytes" "$null_seconds" "$peak"
read -r seconds peak < <(TZ=UTC0 median_run "$receiver" --record "$work/recording" --force \
  --count "$reports" "$device")
row "  --force over the last one" "$text_tags" "$bytes" "$seconds" "$peak"
awk -v r="$text_seconds" -v f="$record_seconds" -v n="$null_seconds" 'BEGIN {
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to FILE", "", "", 100 * (1 - r / f)
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to /dev/null", "", "", 100 * (1 - r / n)
}'

# What expectations cost: rounds of runs with none, ten and a thousand
# --expect, in the text format and in JSON. The ten test the plant's tags
# in every form; the thousand are those ten and 990 on names the plant
# never sends, which the index of names keeps off the path of each message.
ten=(
  --expect 'BOILER.TEMPERATURE >= 60 always' --expect 'BOILER.PRESSURE status GOOD'
  --expect "BOILER.MODE ~ 'HEAT*'" --expect 'SIM.MESSAGE_NUMBER changes'
  --expect 'MIXER.SPEED updates >= 20' --expect 'BOILER.MODE fresh 2s'
  --expect 'COOLING.LAST_FLUSH age < 10m' --expect 'list 102: COOLING.PUMP_STATUS == 1'
  --expect "'COOLING.*' status != BAD" --expect 'MIXER.TORQUE > 300 within 10s'
)
thousand=("${ten[@]}")
for ((i = 0; i < 990; ++i)); do thousand+=(--expect "ABSENT.TAG_$i == $i"); done
# A run whose expectations failed (status 6) ran as well as one whose
# passed; all three go through the same shell, so that it costs them alike.
judged=(bash -c '"$@"; s=$?; [ "$s" -eq 0 ] || [ "$s" -eq 6 ]' judged "$receiver")
printf '\n%-28s %12s %14s %12s %10s\n' "expectations" "tag reports" "tag reports/s" "MB/s" \
  "peak KiB"
for format in text json; do
  : >"$work/none"
  : >"$work/ten"
  : >"$work/thousand"
  for ((i = 0; i < runs; ++i)); do
    TZ=UTC0 one_run "${judged[@]}" --format "$format" --count "$reports" "$device" >>"$work/none"
    TZ=UTC0 one_run "${judged[@]}" --format "$format" --count "$reports" "${ten[@]}" "$device" \
      >>"$work/ten"
    TZ=UTC0 one_run "${judged[@]}" --format "$format" --count "$reports" "${thousand[@]}" \
      "$device" >>"$work/thousand"
  done
  eval "tags=\$${format}_tags"
  bytes=$(stat -c %s "$work/$format")
  for set in none ten thousand; do
    read -r seconds peak < <(median_of_runs "$work/$set")
    row "$format, $set" "$tags" "$bytes" "$seconds" "$peak"
    eval "${set}_seconds=$seconds"
  done
  awk -v n="$none_seconds" -v t="$ten_seconds" -v k="$thousand_seconds" -v f="$format" 'BEGIN {
    printf "%-28s %12s %14s %11.1f%%\n", f " lost to ten", "", "", 100 * (1 - n / t)
    printf "%-28s %12s %14s %11.1f%%\n", f " lost to a thousand", "", "", 100 * (1 - n / k)
  }'
done
# What the metrics and --stale cost (the sequence accounting and the
# latencies are always on, in every row above): rounds of three runs as
# for the recording, the text alone first.
: >"$work/alone"
: >"$work/metrics"
: >"$work/stale"
for ((i = 0; i < runs; ++i)); do
  TZ=UTC0 one_run "$receiver" --count "$reports" "$device" >>"$work/alone"
  TZ=UTC0 one_run "$receiver" --metrics "$work/receiver.prom" --count "$reports" "$device" \
    >>"$work/metrics"
  TZ=UTC0 one_run "$receiver" --stale 10s --count "$reports" "$device" >>"$work/stale"
done
printf '\n'
bytes=$(stat -c %s "$work/text")
read -r text_seconds peak < <(median_of_runs "$work/alone")
row "receiver text, once more" "$text_tags" "$bytes" "$text_seconds" "$peak"
read -r metrics_seconds peak < <(median_of_runs "$work/metrics")
row "receiver --metrics FILE" "$text_tags" "$bytes" "$metrics_seconds" "$peak"
read -r stale_seconds peak < <(median_of_runs "$work/stale")
row "receiver --stale 10s" "$text_tags" "$bytes" "$stale_seconds" "$peak"
awk -v r="$text_seconds" -v m="$metrics_seconds" -v s="$stale_seconds" 'BEGIN {
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to metrics", "", "", 100 * (1 - r / m)
  printf "%-28s %12s %14s %11.0f%%\n", "throughput lost to --stale", "", "", 100 * (1 - r / s)
}'
