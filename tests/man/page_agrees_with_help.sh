#!/usr/bin/env bash
# page_agrees_with_help.sh PROGRAM PAGE: every option and every exit status
# that `PROGRAM --help` names is an item of the manual page PAGE (an option
# under OPTIONS, a status under EXIT STATUS), and every option and status
# the page lists is one the help names (but `--`, which every program
# takes). Says what is missing, and fails then.
set -euo pipefail
program=$1
page=$2

help=$("$program" --help)
mapfile -t options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
if grep -qE '^ +-- ' <<<"$help"; then options+=(--); fi
mapfile -t statuses < <(sed -n '/^Exit status:/,/^$/s/^ *\([0-9][0-9]*\)  .*/\1/p' <<<"$help")

# The headings of a section's items (the line after each .TP), roff's \-
# read as -.
item_headings() {
  sed -n "/^\\.SH $1\$/,/^\\.SH /p" "$page" | sed 's/\\-/-/g' |
    awk 'heading { print; heading = 0 } /^\.TP/ { heading = 1 }'
}
option_items=$(item_headings OPTIONS)
status_items=$(item_headings 'EXIT STATUS')

faults=0
for option in "${options[@]}"; do
  if ! grep -qE -- "^\\.[A-Z]+ (.* )?\"?${option}( |\"|\$)" <<<"$option_items"; then
    echo "$page: OPTIONS has no item for $option, which --help names"
    faults=$((faults + 1))
  fi
done
for status in "${statuses[@]}"; do
  if ! grep -qE -- "^\\.B ${status}\$" <<<"$status_items"; then
    echo "$page: EXIT STATUS has no item for $status, which --help names"
    faults=$((faults + 1))
  fi
done
# A here-string, not a pipe: grep -q leaves at its first match, and the
# writer of a pipe could then die of SIGPIPE and fail the pipeline.
option_lines=$(printf '%s\n' "${options[@]}")
while read -r listed; do
  if ! grep -qxF -- "$listed" <<<"$option_lines"; then
    echo "$page: OPTIONS lists $listed, which --help does not name"
    faults=$((faults + 1))
  fi
done < <(grep -oE -- '--[a-z][a-z-]*' <<<"$option_items" | sort -u)
status_lines=$(printf '%s\n' "${statuses[@]}")
while read -r listed; do
  if ! grep -qxF -- "$listed" <<<"$status_lines"; then
    echo "$page: EXIT STATUS lists $listed, which --help does not name"
    faults=$((faults + 1))
  fi
done < <(sed -n 's/^\.B \([0-9][0-9]*\)$/\1/p' <<<"$status_items")

if [ "${#options[@]}" = 0 ]; then
  echo "$program --help names no option"
  faults=$((faults + 1))
fi
echo "$(basename "$page"): ${#options[@]} options, ${#statuses[@]} exit statuses of --help checked, $faults missing"
[ "$faults" = 0 ]
