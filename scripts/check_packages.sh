#!/usr/bin/env bash
# The Debian packages, made and tried as a user gets them: a Release build
# with Debian's hardening flags, `cpack -G DEB`, lintian (an error fails),
# then, as root, `dpkg -i`, the installed programs run (the receiver on the
# in-process plant, the simulator on TCP with the receiver), the example
# built against the installed -dev package and run against the simulator,
# and built with the pkg-config line, the manual pages and completions
# found where man and bash look; the packages are purged at the end, also
# when a step fails.
#   scripts/check_packages.sh [BUILD_DIR]    (default build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-deb}
jobs=$(nproc)
packages=(libtavlo0 libtavlo-testsupport0 libtavlo-dev tavlo-tools)

# ---- Build and package.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTAVLO_BUILD_TESTS=OFF -DTAVLO_WERROR=ON \
  "-DCMAKE_C_FLAGS=$CPPFLAGS $CFLAGS" "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS"
cmake --build "$build" -j "$jobs"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB)
debs=("$build"/packages/*.deb)
if [ "${#debs[@]}" != "${#packages[@]}" ]; then
  echo "cpack made ${#debs[@]} packages, not ${#packages[@]}: ${debs[*]}" >&2
  exit 1
fi
for deb in "${debs[@]}"; do
  dpkg-deb --field "$deb" Package Version Architecture Depends
  echo
done

# ---- lintian: errors fail, warnings are shown.
echo "lintian:"
lintian --fail-on error "${debs[@]}"

if [ "$(id -u)" != 0 ]; then
  echo "Not root: the packages are not installed, run and purged (run as root for that)"
  exit 0
fi

# ---- Install, and purge whatever happens next.
run_dir="$PWD/$build/installed-run"
rm -rf "$run_dir"
mkdir -p "$run_dir"
simulators=()
clean_up() {
  local pid
  for pid in "${simulators[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${simulators[@]}"; do wait "$pid" 2>/dev/null || true; done
  dpkg --purge "${packages[@]}" >/dev/null
  echo "purged: ${packages[*]}"
}
trap clean_up EXIT
dpkg -i "${debs[@]}"

# expect_messages COUNT LOG: the log holds COUNT message reports.
expect_messages() {
  local shown
  shown=$(grep -c ' received for:$' "$2" || true)
  if [ "$shown" != "$1" ]; then
    echo "expected $1 messages, saw $shown:" >&2
    cat "$2" >&2
    exit 1
  fi
}

# start_simulator ARGS...: an installed simulator on a free port; its
# address goes to $address, its pid to the list stopped at the end.
start_simulator() {
  local log="$run_dir/devsim.${#simulators[@]}.log"
  /usr/bin/tavlo_devsim --port 0 "$@" >"$log" 2>&1 &
  simulators+=($!)
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    address=$(sed -n 's/^tavlo_devsim listening on //p' "$log")
    [ -n "$address" ] && return 0
    sleep 0.1
  done
  echo "the simulator did not say where it listens:" >&2
  cat "$log" >&2
  exit 1
}

echo "installed receiver on sim:0"
/usr/bin/tavlo_t_receiver --count 5 sim:0 >"$run_dir/sim.log"
expect_messages 5 "$run_dir/sim.log"

echo "installed receiver on the installed simulator over TCP"
start_simulator --interval 0 --start 1700000000
/usr/bin/tavlo_t_receiver --count 5 "$address" >"$run_dir/tcp.log"
expect_messages 5 "$run_dir/tcp.log"

echo "the example built against libtavlo-dev, on two fresh simulators"
cmake -S examples -B "$run_dir/examples" -DCMAKE_BUILD_TYPE=Release
cmake --build "$run_dir/examples"
devices=()
for list in in_range out_of_range; do
  start_simulator --interval 0 --start 1700000000
  devices+=("$address")
done
cmake -DPROGRAM="$run_dir/examples/range_check" -DLISTS="$PWD/examples/lists" \
  "-DDEVICES=${devices[0]};${devices[1]}" -P tests/package/run_range_check.cmake

echo "the example built with the installed pkg-config line alone, on the in-process plant"
cc examples/range_check.c $(pkg-config --cflags --libs tavlo-testsupport) -o "$run_dir/range_check_pc"
cmake -DPROGRAM="$run_dir/range_check_pc" -DLISTS="$PWD/examples/lists" \
  -P tests/package/run_range_check.cmake

echo "manual pages and completions where man and bash-completion look"
for page in '1 tavlo_t_receiver' '1 tavlo_devsim' '1 tavlo_check_tag_list' \
            '1 tavlo_define_tags' '5 tavlo_devsim_script' '5 tavlo_tag_list' \
            '3 tavlo' '7 tavlo_standin'; do
  man -w $page  # the section, then the name
done
for program in tavlo_t_receiver tavlo_devsim tavlo_check_tag_list tavlo_define_tags; do
  bash -c 'source /usr/share/bash-completion/bash_completion
           __load_completion "$1" && complete -p "$1"' _ "$program"
done
echo "the installed packages work"
