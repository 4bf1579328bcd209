#!/usr/bin/env bash
# Runs the demonstration of one hole through quillmere-sim and compares its lines with the expected ones.
# usage: run_demo.sh SIM GAME_DIR EXPECTED   (EXPECTED is demo_holeN.expected; its exit code is on its last line)
set -euo pipefail
sim=$1 game=$2 expected=$3
hole=$(basename "$expected" .expected)
hole=${hole#demo_hole}
set +e
got=$("$sim" demo --game "$game" --hole "$hole"; echo "exit $?")
set -e
if ! diff -u "$expected" <(printf '%s\n' "$got"); then
  echo "FAIL: demo of hole $hole printed something else"
  exit 1
fi
echo "ok: demo of hole $hole"
