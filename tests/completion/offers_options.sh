#!/usr/bin/env bash
# offers_options.sh SCRIPT NAME=PROGRAM...: bash's completion, with
# bash-completion and SCRIPT loaded, offers each program every option its
# --help names, the values of the options with fixed choices (in both
# `--format j` and `--format=j` forms), and files where a file is wanted.
# Skipped (77) where bash-completion is not installed.
set -uo pipefail
script=$1
shift
loader=/usr/share/bash-completion/bash_completion
[ -r "$loader" ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck disable=SC1090
source "$loader"
# shellcheck disable=SC1090
source "$script"
# compopt acts only inside a completion that readline runs; here there is
# nothing for it to do.
compopt() { :; }

faults=0
checks=0
# offered LINE...: COMPREPLY for the command line of the words given, the
# last being completed, split as readline splits it (at '=').
offered() {
  local line="$*"
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMP_WORDS=()
  local word
  for word in "$@"; do
    if [[ $word == --*=* ]]; then
      COMP_WORDS+=("${word%%=*}" "=" "${word#*=}")
    else
      COMP_WORDS+=("$word")
    fi
  done
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  local function
  function=$(complete -p "$1" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
  "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}"
}

# expect WANTED... -- LINE...: each WANTED word is offered for LINE.
expect() {
  local wanted=()
  while [ "$1" != -- ]; do wanted+=("$1"); shift; done
  shift
  local reply
  reply=$(offered "$@")
  local word
  for word in "${wanted[@]}"; do
    checks=$((checks + 1))
    if ! grep -qxF -- "$word" <<<"$reply"; then
      echo "'$*' does not offer $word; it offers: $(tr '\n' ' ' <<<"$reply")"
      faults=$((faults + 1))
    fi
  done
}

# expect_nothing LINE...: nothing is offered for LINE.
expect_nothing() {
  local reply
  reply=$(offered "$@")
  checks=$((checks + 1))
  if [ -n "$reply" ]; then
    echo "'$*' offers $(tr '\n' ' ' <<<"$reply"), not nothing"
    faults=$((faults + 1))
  fi
}

declare -A path
for pair in "$@"; do path[${pair%%=*}]=${pair#*=}; done

for name in "${!path[@]}"; do
  mapfile -t options < <("${path[$name]}" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
  [ "${#options[@]}" -gt 0 ] || { echo "$name --help names no option"; faults=$((faults + 1)); }
  expect "${options[@]}" -- "$name" --
  expect --help -- "$name" --he
done

expect text json view none -- tavlo_t_receiver --format ''
expect json -- tavlo_t_receiver --format=j
expect get put declare cancel unsolicited -- tavlo_t_receiver --kind ''
expect get,unsolicited -- tavlo_t_receiver --kind get,un
expect sim:0 -- tavlo_t_receiver --count 3 sim:
expect interval recorded -- tavlo_devsim --pace ''
expect recorded -- tavlo_devsim --pace=r
expect drop wait -- tavlo_devsim --slow-client ''
expect 127.0.0.1 ::1 0.0.0.0 :: -- tavlo_devsim --bind ''
# A value with nothing to offer, in both forms: not the options.
expect_nothing tavlo_t_receiver --count ''
expect_nothing tavlo_devsim --port=
expect names types values deadbands historical -- tavlo_check_tag_list ''
expect historical -- tavlo_check_tag_list --help hi

# Files: a recording, a script and a tag list are files of the folder.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
touch "$folder/plant.script"
expect "$folder/plant.script" -- tavlo_t_receiver --record "$folder/pl"
expect "$folder/plant.script" -- tavlo_devsim --script "$folder/pl"
expect "$folder/plant.script" -- tavlo_check_tag_list types 3 "$folder/pl"

echo "$checks offers checked, $faults missing"
[ "$faults" = 0 ]
