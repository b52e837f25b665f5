#!/usr/bin/env bash
# --mqtt in the Windows receiver, under Wine: one line that says a Windows
# build has none (no Linux package to install), status 2, and no report.
# Usage: mqtt_unavailable.sh WINE RECEIVER.EXE
set -euo pipefail
wine=$1 receiver=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
"$wine" "$receiver" --mqtt mqtt://127.0.0.1 sim:0 >"$scratch/out" 2>"$scratch/err" || status=$?
expected="tavlo_t_receiver: --mqtt: is not built for Windows; publish from a Linux receiver, or \
pipe --format json into an MQTT client"
if [ "$status" != 2 ] || [ "$(tr -d '\r' <"$scratch/err")" != "$expected" ] || [ -s "$scratch/out" ]; then
  echo "status $status, standard error: $(cat "$scratch/err"), standard output: $(head -c 200 "$scratch/out")" >&2
  exit 1
fi
echo "--mqtt: status 2, one line without a Linux package's name"
