#!/usr/bin/env bash
# every_removed_item_fails.sh CHECK PROGRAM PAGE: the agreement check CHECK
# passes on PAGE and fails on each copy of it that lacks one item of OPTIONS
# or EXIT STATUS (its heading, the line after .TP, made a blank item), for
# a page all of whose items --help names; and fails on a copy with an exit
# status that --help does not name.
set -euo pipefail
check=$1
program=$2
page=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$check" "$program" "$page" >"$work/whole"; then
  cat "$work/whole"
  exit 1
fi
mapfile -t headings < <(awk '/^\.SH / { listed = ($0 == ".SH OPTIONS" || $0 == ".SH EXIT STATUS") }
                              heading { print NR; heading = 0 }
                              listed && /^\.TP/ { heading = 1 }' "$page")
passed=0
for line in "${headings[@]}"; do
  sed "${line}s/.*/.B removed/" "$page" >"$work/page"
  if "$check" "$program" "$work/page" >/dev/null; then
    echo "the check passed without line $line of $page: $(sed -n "${line}p" "$page")"
    passed=$((passed + 1))
  fi
done
sed '/^\.SH EXIT STATUS$/a .TP\n.B 99\nnot a status of the program' "$page" >"$work/page"
if "$check" "$program" "$work/page" >/dev/null; then
  echo "the check passed with an exit status 99 that --help does not name"
  passed=$((passed + 1))
fi
echo "${#headings[@]} items removed one at a time and one added, $passed not missed"
[ "${#headings[@]}" -gt 0 ] && [ "$passed" = 0 ]
