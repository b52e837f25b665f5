#!/usr/bin/env bash
# A regression run for a CI job: the simulator replays a golden recording
# and ends with it, the receiver judges every message by the expectations
# of a file (one a line; blank lines and lines that start with # are
# skipped) and writes a JUnit report, and the job's status is the
# receiver's: 0 all passed, 6 an expectation failed, 7 no message came.
#
#   examples/ci_regression.sh RECORDING EXPECTATIONS JUNIT_FILE
#
# The programs are found on PATH, or where TAVLO_DEVSIM and TAVLO_RECEIVER
# say. A GitLab job keeps the report with
#   artifacts: { when: always, reports: { junit: JUNIT_FILE } }
set -u
if [ $# -ne 3 ]; then
  echo "usage: $0 RECORDING EXPECTATIONS JUNIT_FILE" >&2
  exit 2
fi
recording=$1 expectations=$2 junit=$3
devsim=${TAVLO_DEVSIM:-tavlo_devsim}
receiver=${TAVLO_RECEIVER:-tavlo_t_receiver}

args=()
while IFS= read -r line || [ -n "$line" ]; do
  case $line in '' | '#'*) continue ;; esac
  args+=(--expect "$line")
done <"$expectations"

# The simulator on a free port: its first line names the address. It
# waits for the receiver before the first message, sends the recording as
# fast as the receiver reads, and exits once all of it was handed over.
coproc sim { exec "$devsim" --port 0 --interval 0 --script "$recording" --exit-at-end; }
sim_pid=$sim_PID
read -r first <&"${sim[0]}"
address=${first##* }

# A deadline, so that a job never hangs on a simulator that does not end.
"$receiver" "${args[@]}" --junit "$junit" --timeout 300 "$address" >/dev/null &
receiver_pid=$!
wait "$sim_pid"
sim_status=$?
# The last messages may still be on their way: let them in, then stop the
# receiver as a person would, which judges what it read.
sleep 1
kill -TERM "$receiver_pid" 2>/dev/null
wait "$receiver_pid"
status=$?
if [ "$sim_status" -ne 0 ]; then
  echo "$0: the simulator ended with status $sim_status (a line in error?)" >&2
  [ "$status" -eq 0 ] && status=1
fi
exit "$status"
