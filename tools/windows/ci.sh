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
# The Linux test course and quillmere-sim, to hold the Windows results against (run alone, CI has no others).
(source tools/setup.sh >/dev/null && build_game test_game_folder quillmere-sim >/dev/null)
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
# Physics and the virtual clock give the Linux build's results: the test course's strokes, Brindlemoor's
# demonstrations against their expected files and line for line against the Linux quillmere-sim.
SIM=$OUT/quillmere-sim
printf '#!/usr/bin/env bash\nexec %q %q "$@"\n' "$ROOT/tools/windows/wine_run.sh" "$WIN/quillmere-sim.exe" >"$SIM"
chmod +x "$SIM"
tests/e2e/run_strokes.sh "$SIM" build/testgame tests/e2e/test_course.strokes
for expected in tests/e2e/demo_hole*.expected; do tests/e2e/run_demo.sh "$SIM" build/game "$expected"; done
for hole in 1 7 12 18; do
  cmp <(build/tools/quillmere-sim demo --game build/game --hole $hole) <("$SIM" demo --game build/game --hole $hole) ||
    { say "FAIL: Brindlemoor's demonstration of hole $hole differs"; exit 1; }
done
say "strokes and demonstrations match the Linux build"

fail() {
  say "FAIL: $*"
  import -window root "$OUT/failure.png" 2>/dev/null || true
  exit 1
}
pixel() { convert "$1" -crop "1x1+$2" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]\n' info:; }
# Screenshots until every x+y=r,g,b given holds (Wine's boxes carry no X window name to wait for).
wait_screen() {
  local seconds=$1 shot=$2 i check
  shift 2
  for ((i = 0; i < seconds * 2; i++)); do
    import -window root "$shot"
    for check in "$@"; do [[ $(pixel "$shot" "${check%=*}") == "${check#*=}" ]] || continue 2; done
    return 0
  done
  return 1
}
LINK="$HOME/Quillmere Brindlemoor.lnk"  # Wine's desktop folder is the home folder
KEY='HKCU\Software\Lindqvarn\Kormo1'
(cd "$WIN/game" && exec wine "Quillmere Brindlemoor.exe") >"$OUT/game.log" 2>&1 &
GAME_PID=$!
# The box's navy title bar over the middle of the title picture.
wait_screen 60 "$OUT/first_start.png" 500+326=0,0,132 || fail "no shortcut question on the first start"
# The title picture fills the 1024x768 screen (4:3, no bars): its sky is blue at the top left.
IFS=, read -r r g b < <(pixel "$OUT/first_start.png" 20+20)
((b > 150 && b > r + 40)) || fail "the title picture is not on screen (pixel $r,$g,$b)"
xdotool key Return
for ((i = 0; i < 20; i++)); do [[ -f $LINK ]] && break; sleep 0.25; done
[[ -f $LINK ]] || fail "no shell link on the desktop"
wine reg query "$KEY" /v "Best 01" >/dev/null 2>&1 || fail "the registry key was not written"
say "first start: title picture, shortcut question, key and link written"
# The title menu's dialog face (light grey as 16-bit colour shows it) where the picture has a sail and a door,
# after the marquee's first tick has filled the slots: slot 1 ticked, the stem of "Player 2" in grey. (Slot 1
# itself stays empty: Wine's RegisteredOwner is empty.)
wait_screen 30 "$OUT/title_menu.png" 300+250=198,195,198 200+520=198,195,198 196+298=0,0,0 234+355=132,130,132 ||
  fail "no title menu with its player slots after the first start"
say "title menu shown ($OUT/title_menu.png)"
# QUIT ends the program.
xdotool mousemove 238 536 click 1
for ((i = 0; i < 30; i++)); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.5; done
wait "$GAME_PID" || fail "the game did not end cleanly on QUIT"
GAME_PID=""
say "QUIT ended the game"

(cd "$WIN/game" && exec wine Uninstall.exe) >"$OUT/uninstall.log" 2>&1 &
UNINSTALL_PID=$!
# Return answers its question (Yes) and its report (OK); it must end within 30 s.
for ((i = 0; i < 30; i++)); do
  kill -0 "$UNINSTALL_PID" 2>/dev/null || break
  sleep 1
  xdotool key Return
done
wait "$UNINSTALL_PID" || fail "Uninstall failed or did not end"
wine reg query "$KEY" >/dev/null 2>&1 && fail "Uninstall left the registry key"
[[ -f $LINK ]] && fail "Uninstall left the shell link"
say "Uninstall removed the key and the link"
say "done in $((SECONDS - start)) s"
