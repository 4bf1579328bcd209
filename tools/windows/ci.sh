#!/usr/bin/env bash
# CI for the Windows build: installs the cross compiler and Wine, builds (tools/windows/build.sh), runs the
# Windows tests under Wine, then a smoke run under Xvfb: the game's first start shows the title picture and
# asks for the desktop shortcut (screenshot checked), writes its registry key and the shell link, and
# Uninstall.exe removes both. Then the title menu shows (screenshot checked).
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
OUT=${WIN_SMOKE_OUT:-/tmp/quill-win-smoke}
mkdir -p "$OUT"
say() { echo "windows_ci: $*"; }
start=$SECONDS
missing=()
for p in g++-mingw-w64-x86-64-posix wine64 xvfb xauth xdotool imagemagick; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
say "packages ready after $((SECONDS - start)) s"

tools/windows/build.sh
say "built after $((SECONDS - start)) s"

WIN=$ROOT/build-win
source tools/windows/wine_env.sh "$WIN"
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
Xvfb :93 -screen 0 1024x768x24 -nolisten tcp >"$OUT/xvfb.log" 2>&1 &
XVFB_PID=$!
GAME_PID=""
cleanup() {
  [[ -n $GAME_PID ]] && kill "$GAME_PID" 2>/dev/null
  wineserver -k 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=:93
first=$SECONDS
wine_start 2>/dev/null
say "Wine's first start (a new prefix) took $((SECONDS - first)) s"

ctest --test-dir "$WIN" -j2 --output-on-failure

fail() {
  say "FAIL: $*"
  import -window root "$OUT/failure.png" 2>/dev/null || true
  exit 1
}
# A window of the given name appears within the given seconds.
wait_window() {
  local i
  for ((i = 0; i < $2 * 4; i++)); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.25
  done
  return 1
}
LINK="$HOME/Quillmere Brindlemoor.lnk"  # Wine's desktop folder is the home folder
KEY='HKCU\Software\Lindqvarn\Kormo1'
(cd "$WIN/game" && exec wine "Quillmere Brindlemoor.exe") >"$OUT/game.log" 2>&1 &
GAME_PID=$!
wait_window '^Quillmere$' 20 || fail "no shortcut question on the first start"
sleep 1
import -window root "$OUT/first_start.png"
# The title picture fills the 1024x768 screen (4:3, no bars): its sky is blue at the top left.
read -r r g b < <(convert "$OUT/first_start.png" -crop 1x1+20+20 -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
((b > 150 && b > r + 40)) || fail "the title picture is not on screen (pixel $r,$g,$b)"
xdotool key Return
for ((i = 0; i < 20; i++)); do [[ -f $LINK ]] && break; sleep 0.25; done
[[ -f $LINK ]] || fail "no shell link on the desktop"
wine reg query "$KEY" /v "Best 01" >/dev/null 2>&1 || fail "the registry key was not written"
say "first start: title picture, shortcut question, key and link written"
# The title menu's dialog face (light grey as 16-bit colour shows it) where the picture has a sail and a door.
pixel() { convert "$1" -crop "1x1+$2" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
for ((i = 0; i < 40; i++)); do
  import -window root "$OUT/title_menu.png"
  [[ $(pixel "$OUT/title_menu.png" 300+250) == 198,195,198 && $(pixel "$OUT/title_menu.png" 200+520) == 198,195,198 ]] &&
    break
  sleep 0.5
done
((i < 40)) || fail "no title menu after the first start"
say "title menu shown ($OUT/title_menu.png)"
kill "$GAME_PID" 2>/dev/null || true
wait "$GAME_PID" 2>/dev/null || true
GAME_PID=""

(cd "$WIN/game" && exec wine Uninstall.exe) >"$OUT/uninstall.log" 2>&1 &
UNINSTALL_PID=$!
for answer in 1 2; do
  wait_window '^Quillmere$' 15 || fail "Uninstall asked nothing (box $answer)"
  sleep 0.5
  xdotool key Return
  sleep 1
done
wait "$UNINSTALL_PID" || fail "Uninstall failed"
wine reg query "$KEY" >/dev/null 2>&1 && fail "Uninstall left the registry key"
[[ -f $LINK ]] && fail "Uninstall left the shell link"
say "Uninstall removed the key and the link"
say "done in $((SECONDS - start)) s"
