#!/usr/bin/env bash
# Runs the demonstration of one hole through quillmere-sim and compares where each stroke ended with the
# expected lines (the demonstration's length in virtual time is left out: its timing is not the point).
# usage: run_demo.sh SIM GAME_DIR EXPECTED   (EXPECTED is demo_holeN.expected; its exit code is on its last line)
set -euo pipefail
sim=$1 game=$2 expected=$3
source "$(dirname "$0")/expect.sh"
hole=$(basename "$expected" .expected)
hole=${hole#demo_hole}
got=$(mktemp)
trap 'rm -f "$got"' EXIT
{ "$sim" demo --game "$game" --hole "$hole" && echo "exit 0" || echo "exit $?"; } | sed 's/,"virtual_ms":[0-9]*//' >"$got"
check_expected "$expected" "$got" "demo of hole $hole"
echo "ok: demo of hole $hole"
