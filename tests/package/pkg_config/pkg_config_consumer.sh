#!/usr/bin/env bash
# pkg_config_consumer.sh BUILD_DIR CC WORK_DIR: installs BUILD_DIR into a
# fresh prefix under WORK_DIR, builds one_tag_report.c with nothing but
# `CC prog.c $(pkg-config --cflags --libs tavlo-testsupport)`, and checks
# that its report of each tag below, on the simulated plant, is the block
# the installed receiver prints for that tag (its number aside), and that a
# tag the plant never sends fails. Skipped (77) without pkg-config.
set -euo pipefail
build=$1
cc=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
command -v pkg-config >/dev/null 2>&1 || { echo "pkg-config is not installed"; exit 77; }

prefix=$work/prefix
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# Only what an installed copy gives: no path of the build or the sources.
(cd "$work" && "$cc" "$here/one_tag_report.c" $(pkg-config --cflags --libs tavlo-testsupport) \
  -o one_tag_report)
export LD_LIBRARY_PATH=$prefix/lib TZ=UTC0
device=sim:0:1700000000

faults=0
# A tag of the compact names (the first after the message number), the last
# of its list (its value after those of every tag before it, a TIME), and
# tags of 256-byte names (a REAL, an ASCII text).
for tag in BOILER.TEMPERATURE BOILER.LAST_IGNITION \
           PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT COOLING.VALVE_ID; do
  expected=$("$prefix/bin/tavlo_t_receiver" --kind get,put,unsolicited --tag "$tag" --count 1 \
               "$device" | sed -n '/^Tagname /,/^Driver Status=/p' |
             sed 's/^Tagname \[[0-9]*\]: /Tagname : /')
  got=$("$work/one_tag_report" "$device" "$tag" | sed -n '/^Tagname /,/^Driver Status=/p')
  if [ -z "$got" ] || [ "$got" != "$expected" ]; then
    printf '%s: the one-tag report\n%s\nis not the receiver'\''s block\n%s\n' \
      "$tag" "$got" "$expected"
    faults=$((faults + 1))
  fi
done
if "$work/one_tag_report" "$device" NO.SUCH_TAG >"$work/none.out"; then
  echo "a tag the plant never sends was reported: $(cat "$work/none.out")"
  faults=$((faults + 1))
fi
echo "built with: $cc one_tag_report.c $(pkg-config --cflags --libs tavlo-testsupport)"
echo "$faults faults"
[ "$faults" = 0 ]
