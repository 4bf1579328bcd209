#!/usr/bin/env bash
# Plays each stroke of a stroke list through quillmere-sim and compares its result line with the expected one.
# usage: run_strokes.sh SIM GAME_DIR LIST   (LIST: "# comment", then pairs of lines: arguments, expected JSON)
set -euo pipefail
sim=$1 game=$2 list=$3
failed=0 passed=0
args=""
while IFS= read -r line; do
  [[ -z $line || $line == \#* ]] && continue
  if [[ -z $args ]]; then
    args=$line
    continue
  fi
  # shellcheck disable=SC2086  # the arguments are words on purpose
  got=$("$sim" stroke --game "$game" $args)
  if [[ $got == "$line" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL: stroke %s\n  expected %s\n  got      %s\n' "$args" "$line" "$got"
  fi
  args=""
done <"$list"
echo "strokes: $passed passed, $failed failed"
((failed == 0))
