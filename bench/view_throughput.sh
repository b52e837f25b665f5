#!/usr/bin/env bash
# Messages per second through the receiver on the in-process simulated
# device (sim:0) with the live view drawing into a tmux pane, next to the
# text format into a pipe read by cat and JSON the same way. Each figure is
# the median of several runs, taken from the receiver's own --stats summary
# (messages received over its seconds); the view's draws stay at ten a
# second, so its rate says what drawing costs the reading.
#
#   bash bench/view_throughput.sh [build-dir] [messages] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
messages=${2:-200000}
runs=${3:-3}
. bench/bench_common.sh
use_release_build "$build"
if ! command -v tmux >/dev/null 2>&1; then
  echo "bench/view_throughput.sh needs tmux (apt-get install tmux)" >&2
  exit 1
fi
device=sim:0:1700000000
socket=tavlo-view-bench-$$
end_tmux() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$socket"
}
trap 'end_tmux; cleanup' EXIT

# "messages seconds tags" of the --stats summary in the file $1.
summary() {
  awk -F': ' '/^Messages received/ { split($2, m, " "); n = m[1] }
              /^Seconds/ { s = $2 } /^Tags shown/ { t = $2 }
              END { print n, s, t }' "$1"
}

# One run in a format into a pipe; the summary in $work/stats.
run_piped() {
  TZ=UTC0 "$receiver" --format "$1" --stats --count "$messages" "$device" \
    2>"$work/stats" | cat >/dev/null
}

# One run of the view in a detached tmux pane of 200 by 50; the summary in
# $work/stats.
run_view() {
  tmux -L "$socket" -f /dev/null new-session -d -x 200 -y 50 \
    "TZ=UTC0 '$receiver' --view --stats --count $messages $device 2>'$work/stats';
     tmux -L '$socket' wait-for -S view-done"
  tmux -L "$socket" wait-for view-done
  end_tmux
}

# Runs $1 with the rest as its arguments $runs times; prints the median's
# "messages seconds tags".
median_of() {
  local i
  for ((i = 0; i < runs; ++i)); do
    "$@"
    summary "$work/stats"
  done | sort -k2 -n | awk '{ r[NR] = $0 } END { print r[int((NR + 1) / 2)] }'
}

printf 'sim:0, %s messages shown a run, median of %s runs each\n' "$messages" "$runs"
printf '%-30s %10s %9s %12s %12s\n' run messages seconds "messages/s" "tags/s"
row() {
  awk -v name="$1" -v n="$2" -v s="$3" -v t="$4" 'BEGIN {
    printf "%-30s %10d %9.3f %12.0f %12.0f\n", name, n, s, n / s, t / s }'
}
read -r text_n text_s text_t < <(median_of run_piped text)
row "text into a pipe" "$text_n" "$text_s" "$text_t"
read -r json_n json_s json_t < <(median_of run_piped json)
row "json into a pipe" "$json_n" "$json_s" "$json_t"
read -r view_n view_s view_t < <(median_of run_view)
row "--view into a tmux pane" "$view_n" "$view_s" "$view_t"
awk -v a="$view_n" -v b="$view_s" -v c="$text_n" -v d="$text_s" 'BEGIN {
  printf "%-30s %10s %9s %11.0f%%\n", "view / text, messages/s", "", "", 100 * (a / b) / (c / d) }'
