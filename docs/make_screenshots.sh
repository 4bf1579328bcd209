#!/usr/bin/env bash
# Makes the README's screenshots of Brindlemoor with quillmere-sim, on the virtual clock, from a settings file
# that already holds a few best scores:
#   docs/make_screenshots.sh [BUILD_DIR]      (default build; writes docs/*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Lindqvarn" "$work/home"
best() { printf '"Best %s"="%s%s%s"\n' "$1" "$2" "$(printf '#%.0s' $(seq $((16 - ${#2}))))" "$3"; }
{
  printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lindqvarn\\Kormo1]\n"Player 1"="Ann"\n"Player 2"="Bob"\n'
  best 01 Morwenna 121221111211112121
  best 02 Ann 212221121212212221
  best 03 Tobias 222232122322232222
} >"$work/config/Lindqvarn/Kormo1.reg"
cat >"$work/shots.play" <<'PLAY'
# The title menu, the best scores, then a two-player round: aiming on hole 1, the ace, the score card.
500 shot title-menu.png
+200 control 1017
+800 shot best-scores.png
+200 click 320 240
+1500 round Ann|Bob
+1500 move 71 319
+100 click 71 319
+300 move 150 285
+300 move 196 258
+300 shot hole-in-play.png
+100 click 196 258
+9000 move 196 258
+300 click 170 460
+800 shot score-card.png
+300 click 320 240
PLAY
(cd "$work" && HOME="$work/home" "$build/tools/quillmere-sim" play --game "$build/game" --config "$work/config" \
  --script "$work/shots.play" >"$work/out.txt") || true
for shot in title-menu best-scores hole-in-play score-card; do
  cp "$work/$shot.png" "$root/docs/$shot.png"
  echo "docs/$shot.png"
done
