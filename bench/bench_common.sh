# Shared by the bench scripts (sourced): a scratch folder, a release build
# of the programs, and a device simulator on a free port.

# The scratch folder $work; it goes, and the simulator if one was started,
# when the script ends.
work=$(mktemp -d)
devsim_pid=
cleanup() {
  if [ -n "$devsim_pid" ]; then kill "$devsim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Sets receiver and devsim to the programs of the release build in $1,
# building it first when they are missing.
use_release_build() {
  receiver=$1/receiver/tavlo_t_receiver
  devsim=$1/devsim/tavlo_devsim
  if [ ! -x "$receiver" ] || [ ! -x "$devsim" ]; then
    cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DTAVLO_BUILD_TESTS=OFF >/dev/null
    cmake --build "$1" -j "$(nproc)" >/dev/null
  fi
}

# Starts the simulator with the options given, its output in the file $1;
# sets devsim_pid and the address it listens on.
start_devsim() {
  local log=$1
  shift
  "$devsim" --port 0 "$@" >"$log" &
  devsim_pid=$!
  until grep -q 'listening on' "$log" 2>/dev/null; do sleep 0.05; done
  address=$(sed -n 's/^tavlo_devsim listening on //p' "$log")
}
