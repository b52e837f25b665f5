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
#
# The Windows ZIP archive, with --windows: the MinGW-w64 cross build (made
# or brought up to date), `cpack` over it and the archive unpacked; then,
# under Wine, the unpacked receiver on the built-in plant prints the Linux
# receiver's report once its CR LF line ends are LF again, and the example
# built against the unpacked files (the CMake package, and the plain -I/-L
# line) runs on the plant.
#   scripts/check_packages.sh --windows [BUILD_DIR] [LINUX_BUILD_DIR]
#                                     (default build-win and build)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = --windows ]; then
  build=${2:-build-win}
  linux_receiver=${3:-build}/receiver/tavlo_t_receiver
  if [ ! -x "$linux_receiver" ]; then
    echo "no Linux receiver at $linux_receiver to compare the Windows one with" >&2
    exit 1
  fi
  toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTAVLO_WERROR=ON
  cmake --build "$build" -j "$(nproc)"
  build=$(cd "$build" && pwd)
  export TZ=UTC0 WINEDEBUG=${WINEDEBUG:--all} WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
  rm -f "$build"/tavlo-*-windows-x86_64.zip
  (cd "$build" && cpack --config CPackConfig.cmake)
  run_dir="$build/zip-check"
  rm -rf "$run_dir"
  mkdir -p "$run_dir"
  unzip -q "$build"/tavlo-*-windows-x86_64.zip -d "$run_dir/unpacked"
  unpacked=$(echo "$run_dir"/unpacked/tavlo-*)
  for file in bin/tavlo_t_receiver.exe bin/tavlo_check_tag_list.exe bin/tavlo_define_tags.exe \
              bin/TAVLO.dll bin/tavlo_testsupport.dll lib/TAVLO.lib lib/libtavlo_testsupport.dll.a \
              include/tavlo.h include/tavlo_testsupport.h lib/cmake/tavlo/tavloConfig.cmake; do
    [ -f "$unpacked/$file" ] || { echo "the ZIP archive has no $file" >&2; exit 1; }
  done
  wineboot -i >/dev/null 2>&1 || true  # the prefix's first start

  echo "the unpacked receiver on sim:0 under Wine, against the Linux receiver"
  wine "$unpacked/bin/tavlo_t_receiver.exe" --count 12 sim:0:1700000000 >"$run_dir/windows.txt"
  "$linux_receiver" --count 12 sim:0:1700000000 >"$run_dir/linux.txt"
  lines=$(wc -l <"$run_dir/windows.txt")
  crlf=$(grep -c $'\r$' "$run_dir/windows.txt" || true)
  if [ "$lines" = 0 ] || [ "$lines" != "$crlf" ]; then
    echo "$crlf of the Windows report's $lines lines end in CR LF" >&2
    exit 1
  fi
  if ! sed 's/\r$//' "$run_dir/windows.txt" | cmp - "$run_dir/linux.txt"; then
    echo "the Windows report differs from the Linux one ($run_dir)" >&2
    exit 1
  fi
  echo "the same $(wc -c <"$run_dir/linux.txt") bytes ($lines lines)"

  # Windows finds the DLLs of the example in the PATH; Wine adds WINEPATH.
  export WINEPATH="$unpacked/bin"
  wine_binary=$(command -v wine)
  echo "the example built against the unpacked CMake package, on the plant under Wine"
  cmake -S examples -B "$run_dir/examples" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -Dtavlo_DIR="$unpacked/lib/cmake/tavlo"
  cmake --build "$run_dir/examples"
  cmake -DPROGRAM="$run_dir/examples/range_check.exe" -DEMULATOR="$wine_binary" \
    -DLISTS="$PWD/examples/lists" -P tests/package/run_range_check.cmake
  echo "the example built with the plain -I and -L line, on the plant under Wine"
  x86_64-w64-mingw32-gcc -std=c11 examples/range_check.c -I"$unpacked/include" \
    -L"$unpacked/lib" -ltavlo_testsupport -lTAVLO -o "$run_dir/range_check_plain.exe"
  cmake -DPROGRAM="$run_dir/range_check_plain.exe" -DEMULATOR="$wine_binary" \
    -DLISTS="$PWD/examples/lists" -P tests/package/run_range_check.cmake
  echo "the Windows ZIP archive works"
  exit 0
fi

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
