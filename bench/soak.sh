#!/usr/bin/env bash
# Soak: the receiver watching the device simulator at full speed over
# loopback, with the simulator closing every connection after a number of
# messages so that the receiver reconnects every few seconds. Reports the
# receiver's memory near the start and at the end, the reconnects, and the
# numbered plant messages printed, missing between them, or printed twice.
# The simulator makes no message while no client is connected, so every
# message it makes is sent whole before it closes a connection: none may be
# missing.
#
#   bash bench/soak.sh [minutes] [build-dir] [messages-per-connection]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
build=${2:-build-release}
per_connection=${3:-600000}
. bench/bench_common.sh
use_release_build "$build"
seconds=$((minutes * 60))

start_devsim "$work/devsim" --interval 0 --close-after "$per_connection"

mkfifo "$work/out"
check_plant_numbers <"$work/out" >"$work/check" &
checker_pid=$!

"$receiver" --timeout "$seconds" "$address" >"$work/out" 2>"$work/receiver_errors" &
receiver_pid=$!
sleep 5
rss_start=$(rss "$receiver_pid")
sleep $((seconds > 10 ? seconds - 10 : 1))
rss_end=$(rss "$receiver_pid")
wait "$receiver_pid"
wait "$checker_pid"

printf 'soak of %d minute(s), %s messages per connection\n' "$minutes" "$per_connection"
printf 'receiver memory (VmRSS): %s KiB after 5 s, %s KiB near the end\n' "$rss_start" "$rss_end"
report_clients "$work/devsim"
cat "$work/check"
