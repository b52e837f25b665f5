#!/usr/bin/env bash
# Publishing to a local mosquitto broker: messages per second with --mqtt
# at QoS 0 and QoS 1 (from the first message read to the last confirmed,
# the receiver's drain included), next to the receiver's text and JSON
# throughput into a pipe and to mosquitto_pub -l fed the same JSON lines
# from a file. Then the receiver's peak memory and the spool's size while
# the broker is down for a while at the plant's full pace, which the
# spool's bound must bound, not the outage.
#
#   bash bench/mqtt_throughput.sh [build-dir] [messages] [outage-seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
messages=${2:-50000}
outage=${3:-30}
. bench/bench_common.sh
use_release_build "$build"
device=sim:0:1700000000
mosquitto=$(command -v mosquitto || echo /usr/sbin/mosquitto)

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/broker.conf" <<CONF
listener $port 127.0.0.1
allow_anonymous true
persistence false
max_queued_messages 1000000
log_dest file $work/broker.log
user $(id -un)
CONF
broker_pid=
start_broker() {
  "$mosquitto" -c "$work/broker.conf" &
  broker_pid=$!
  until grep -q "listen socket on port $port" "$work/broker.log" 2>/dev/null; do sleep 0.05; done
}
stop_broker() {
  kill "$broker_pid"
  wait "$broker_pid" || true
  : >"$work/broker.log"
}
trap 'kill "$broker_pid" 2>/dev/null || true; cleanup' EXIT

# Prints the seconds the command takes.
seconds_of() {
  local start=$EPOCHREALTIME
  "$@"
  echo "$start $EPOCHREALTIME" | awk '{ print $2 - $1 }'
}

row() {
  awk -v n="$1" -v m="$messages" -v s="$2" 'BEGIN { printf "%-40s %10.2f %12.0f\n", n, s, m / s }'
}

start_broker
TZ=UTC0 "$receiver" --format json --count "$messages" "$device" >"$work/lines" 2>/dev/null
printf '%-40s %10s %12s\n' run seconds "messages/s"
for format in text json; do
  row "receiver --format $format | cat" \
    "$(seconds_of sh -c '"$0" --format "$1" --count "$2" "$3" 2>/dev/null | cat >/dev/null' \
      "$receiver" "$format" "$messages" "$device")"
done
for qos in 0 1; do
  rm -rf "$work/spool"
  row "receiver --mqtt, QoS $qos" \
    "$(seconds_of "$receiver" --format none --mqtt "mqtt://127.0.0.1:$port" --mqtt-qos "$qos" \
      --mqtt-spool "$work/spool" --mqtt-drain-timeout 120 --count "$messages" "$device" \
      2>/dev/null)"
  row "mosquitto_pub -l -q $qos < the JSON lines" \
    "$(seconds_of sh -c 'mosquitto_pub -h 127.0.0.1 -p "$0" -q "$1" -t bench/lines -l <"$2"' \
      "$port" "$qos" "$work/lines")"
done

stop_broker
rm -rf "$work/spool"
for bound in 10000 100000; do
  rm -rf "$work/spool"
  /usr/bin/time -f '%M' -o "$work/peak" "$receiver" --format none --stats \
    --mqtt "mqtt://127.0.0.1:$port" --mqtt-spool "$work/spool" --mqtt-queue-max "$bound" \
    --mqtt-drain-timeout 0 --timeout "$outage" "$device" 2>"$work/stats" || true
  read_count=$(sed -n 's/^Messages received: \([0-9]*\).*/\1/p' "$work/stats")
  dropped=$(sed -n 's/^MQTT messages dropped: //p' "$work/stats")
  printf 'broker down %s s, --mqtt-queue-max %s: %s messages read, %s dropped, peak %s KiB, spool %s\n' \
    "$outage" "$bound" "$read_count" "$dropped" "$(tail -n 1 "$work/peak")" \
    "$(du -sh "$work/spool" | cut -f1)"
done
