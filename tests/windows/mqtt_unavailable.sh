#!/usr/bin/env bash
# --mqtt in the Windows receiver, under Wine: status 2 and one line that says
# a Windows build has none, with no Linux package to install.
# Usage: mqtt_unavailable.sh WINE RECEIVER.EXE
status=0
errors=$("$1" "$2" --mqtt mqtt://127.0.0.1 sim:0 2>&1 >/dev/null) || status=$?
expected="tavlo_t_receiver: --mqtt: is not built for Windows; publish from a Linux receiver, or \
pipe --format json into an MQTT client"
[ "$status" = 2 ] && [ "$(tr -d '\r' <<<"$errors")" = "$expected" ] && exit 0
echo "status $status, standard error: $errors" >&2
exit 1
