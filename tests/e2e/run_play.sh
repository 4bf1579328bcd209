#!/usr/bin/env bash
# Runs one play script through quillmere-sim and compares what it prints with the expected lines.
# usage: run_play.sh SIM GAME_DIR SCRIPT   (SCRIPT.expected beside it; screenshots land in a scratch folder)
# A script with the line "# needs: desktop" runs with a desktop folder; SCRIPT.launcher beside it is then the
# launcher expected there afterwards, with @GAME@ standing for the game folder. Only a script with the line
# "# needs: times" has its virtual times printed (the ones whose point is timing), and only one with
# "# needs: phases" the round's phases.
set -euo pipefail
sim=$1 game=$2 script=$3
source "$(dirname "$0")/expect.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A home of its own: the user's desktop folder must not turn a run into a first run with a launcher question.
mkdir -p "$work/config" "$work/home"
if grep -qx '# needs: desktop' "$script"; then mkdir -p "$work/home/Desktop"; fi
flags=()
for flag in times phases; do
  if grep -qx "# needs: $flag" "$script"; then flags+=(--$flag); fi
done
(cd "$work" && HOME="$work/home" "$sim" play --game "$game" --config "$work/config" --script "$script" "${flags[@]}") \
  >"$work/out.txt" || true
# Player 1's first name is the machine owner's: @OWNER@ in the expected lines.
owner=$(getent passwd "$(id -u)" | cut -d: -f5 | cut -d, -f1)
out=$(<"$work/out.txt")
printf '%s\n' "${out//\"name\":\"$owner\"/\"name\":\"@OWNER@\"}" >"$work/out.txt"
check_expected "${script%.play}.expected" "$work/out.txt" "$(basename "$script")"
launcher="${script%.play}.launcher"
if [ -e "$launcher" ]; then
  game_dir=$(cd "$game" && pwd -P)
  if ! diff -u <(sed "s|@GAME@|$game_dir|g" "$launcher") "$work/home/Desktop/Quillmere Brindlemoor.desktop"; then
    echo "FAIL: $(basename "$script") left another launcher on the desktop"
    exit 1
  fi
fi
# Every screenshot the script asked for must show something: not a black screen.
for shot in "$work"/*.png; do
  [ -e "$shot" ] || continue
  mean=$(convert "$shot" -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || { echo "FAIL: $(basename "$shot") is black"; exit 1; }
done
echo "ok: $(basename "$script")"
