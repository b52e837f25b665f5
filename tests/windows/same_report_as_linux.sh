#!/usr/bin/env bash
# The Windows receiver, under Wine, prints the Linux receiver's text report
# byte for byte once its CR LF line ends are LF again: from the built-in
# plant, and from the Linux device simulator over loopback, both receivers
# at once its clients. Every line end of the Windows report is CR LF; its
# recording is Linux's, but for the times the messages came; --timeout
# stops it.
# Usage: same_report_as_linux.sh WINE RECEIVER.EXE LINUX_BUILD_DIR
# Exits 77 (skipped) without a Linux build of the receiver and simulator.
set -euo pipefail
wine=$1 windows_receiver=$2 linux=${3:-}
linux_receiver=$linux/receiver/tavlo_t_receiver
devsim=$linux/devsim/tavlo_devsim
if [ -z "$linux" ] || [ ! -x "$linux_receiver" ] || [ ! -x "$devsim" ]; then
  echo "no Linux build with tavlo_t_receiver and tavlo_devsim given (TAVLO_LINUX_BUILD_DIR)"
  exit 77
fi
export TZ=UTC0
scratch=$(mktemp -d)
devsim_pid=""
trap '[ -z "$devsim_pid" ] || kill "$devsim_pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT

# compare WHAT: the reports in $scratch/windows and $scratch/linux.
compare() {
  local lines crlf
  lines=$(wc -l <"$scratch/windows")
  crlf=$(grep -c $'\r$' "$scratch/windows" || true)
  if [ "$lines" = 0 ] || [ "$lines" != "$crlf" ]; then
    echo "$1: $crlf of the Windows report's $lines lines end in CR LF" >&2
    exit 1
  fi
  if ! tr -d '\r' <"$scratch/windows" | cmp - "$scratch/linux"; then
    echo "$1: the reports differ" >&2
    exit 1
  fi
  echo "$1: the same $(wc -c <"$scratch/linux") bytes ($lines lines)"
}

"$wine" "$windows_receiver" --count 12 --record "$scratch/windows.rec" sim:0:1700000000 \
  >"$scratch/windows"
"$linux_receiver" --count 12 --record "$scratch/linux.rec" sim:0:1700000000 >"$scratch/linux"
compare "the built-in plant"
if ! cmp <(sed 's/ at=[0-9.]*$//' "$scratch/windows.rec") <(sed 's/ at=[0-9.]*$//' "$scratch/linux.rec"); then
  echo "the recordings differ" >&2
  exit 1
fi
echo "the recordings: the same but for the times the messages came"

status=0
"$wine" "$windows_receiver" --timeout 1 sim:100:1700000000 >"$scratch/windows" 2>/dev/null || status=$?
if [ "$status" != 0 ] || ! grep -q '^Status is' "$scratch/windows" ||
   ! tail -n 3 "$scratch/windows" | grep -q '^Closing Tavlo Connections\.'; then
  echo "--timeout 1: status $status, the report ends: $(tail -c 200 "$scratch/windows")" >&2
  exit 1
fi
echo "--timeout 1: shut down with status 0"

# Both receivers connect before the first of the 20 messages; 19 are shown
# (one is of a kind that the report leaves out).
"$devsim" --port 0 --clients 2 --interval 10 --start 1700000000 --count 20 \
  >"$scratch/devsim.log" 2>&1 &
devsim_pid=$!
for _ in $(seq 100); do
  address=$(sed -n 's/^tavlo_devsim listening on //p' "$scratch/devsim.log")
  [ -z "$address" ] || break
  sleep 0.1
done
[ -n "$address" ] || { echo "the simulator did not start:" >&2; cat "$scratch/devsim.log" >&2; exit 1; }
"$linux_receiver" --count 19 "$address" >"$scratch/linux" &
linux_pid=$!
"$wine" "$windows_receiver" --count 19 "$address" >"$scratch/windows"
wait "$linux_pid"
compare "the simulator over loopback"
