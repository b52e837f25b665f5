#!/usr/bin/env bash
# Soak with a reader that pauses: the receiver watching the paced device
# simulator over loopback while the reader of its output stops for 8 s
# every 30 s, so that the receiver stops reading its connection and the
# simulator's queue for it grows. The simulator's default --max-queue holds
# such a pause; nothing may be missing or printed twice. Reports the
# receiver's memory, the connections, the clients the simulator dropped and
# the numbered plant messages printed, missing between them, or twice.
#
#   bash bench/soak_paused_reader.sh [minutes] [build-dir] [interval-ms]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
build=${2:-build-release}
interval=${3:-10}
. bench/bench_common.sh
use_release_build "$build"
seconds=$((minutes * 60))

start_devsim "$work/devsim" --interval "$interval"

# receiver -> out -> the pausing reader (cat) -> read -> the checker
mkfifo "$work/out" "$work/read"
check_plant_numbers <"$work/read" >"$work/check" &
checker_pid=$!
cat <"$work/out" >"$work/read" &
reader_pid=$!

"$receiver" --timeout "$seconds" "$address" >"$work/out" 2>"$work/receiver_errors" &
receiver_pid=$!
sleep 5
rss_start=$(rss "$receiver_pid")
pauses=0
for ((left = seconds - 5; left > 40; left -= 38)); do
  sleep 30
  kill -STOP "$reader_pid"
  sleep 8
  kill -CONT "$reader_pid"
  pauses=$((pauses + 1))
done
rss_end=$(rss "$receiver_pid")
wait "$receiver_pid"
wait "$reader_pid"
wait "$checker_pid"

printf 'soak of %d minute(s) at %s ms a message, %d pauses of 8 s\n' "$minutes" "$interval" \
  "$pauses"
printf 'receiver memory (VmRSS): %s KiB after 5 s, %s KiB after the last pause\n' \
  "$rss_start" "$rss_end"
report_clients "$work/devsim"
printf 'receiver error lines: %s\n' "$(wc -l <"$work/receiver_errors")"
cat "$work/check"
