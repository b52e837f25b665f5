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

# Reads a receiver's output on standard input and prints how many numbered
# plant messages it printed, and how many are missing between them or were
# printed twice (or out of order).
check_plant_numbers() {
  grep -F -A2 SIM.MESSAGE_NUMBER | grep -F 'Value=' | awk '
    function printed_kind(n, s) {  # declare, cancel and other-kind messages carry no number
      if (n < 2) return 0
      s = (n - 2) % 12
      return s != 7 && s != 9 && s != 10
    }
    {
      n = $2 + 0
      if (count == 0) first = n
      else if (n <= last) twice++
      else for (m = last + 1; m < n; m++) if (printed_kind(m)) missing++
      last = n
      count++
    }
    END {
      printf "numbered messages printed: %d (numbers %d to %d)\n", count, first, last
      printf "missing between them: %d, printed twice or out of order: %d\n", missing, twice
    }'
}

# Stops the simulator that start_devsim started.
stop_devsim() {
  kill "$devsim_pid"
  wait "$devsim_pid" 2>/dev/null || true
  devsim_pid=
}

# The lines "seconds peak_kib" of runs in file $1: the median seconds and
# the largest peak.
median_of_runs() {
  sort -n "$1" | awk '{ s[NR] = $1; if ($2 > p) p = $2 } END { print s[int((NR + 1) / 2)], p }'
}

# VmRSS of process $1 in KiB, and its peak (VmHWM).
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
peak_rss() { awk '/^VmHWM/ { print $2 }' "/proc/$1/status"; }

# What the simulator's log $1 says of its clients: connections and drops.
report_clients() {
  printf 'connections made: %s\n' "$(grep -c ' connected (application' "$1")"
  printf 'clients the simulator dropped: %s\n' "$(grep -c ' dropped: ' "$1" || true)"
}
