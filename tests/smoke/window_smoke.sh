#!/usr/bin/env bash
# Real-window smoke test: runs the game on a private Xvfb server and checks that it shows the title
# picture full-screen, that a second copy bows out at once, and that a TERM signal (a desktop asking the
# game to close) ends it cleanly, on the title and during a round (after a round left with Esc, its player
# named by typing). Then a first run with a desktop folder: a TERM while the game asks for its
# launcher ends it without one; asked again, it writes the launcher on Yes, and Uninstall (native boxes
# answered with xdotool, then on a terminal) removes it. Last, the X server is killed under a running game,
# which must end within 2 seconds with exit code 1.
#
#   tests/smoke/window_smoke.sh [game folder]      (default build/game)
#
# Screenshots and logs go to $SMOKE_OUT (default /tmp/quill-smoke).
set -uo pipefail

GAME_DIR=${1:-build/game}
OUT=${SMOKE_OUT:-/tmp/quill-smoke}
EXE="Quillmere Brindlemoor"
SCREEN_W=1024
SCREEN_H=768
# Normalised RMSE between the screenshot and the title picture scaled the same way. The 16-bit colour
# reduction alone stays under 0.02; a picture that is wrong, shifted or not scaled is well above 0.1.
MAX_RMSE=0.05
# Starting a game wraps it so that a stuck copy (say, a message box nobody answers) cannot hang CI; the limit
# leaves room for a loaded machine, where a copy that is played for a while can take half a minute.
RUN_LIMIT=(timeout -k 5 60)

say() { echo "window_smoke: $*"; }

XVFB_PID=""
FIRST_PID=""
SECOND_PID=""
WORK=""

show_logs() {
  local log
  for log in "$OUT"/xvfb.log "$OUT"/first.log "$OUT"/second.log "$OUT"/launcher.log "$OUT"/uninstall*.log; do
    if [[ -s $log ]]; then
      echo "---- ${log##*/} (last lines)"
      tail -n 20 "$log"
    fi
  done
}

fail() {
  say "FAIL: $*"
  show_logs
  # What was on screen, and which windows were open, when it failed.
  if [[ -n ${DISPLAY:-} ]] && alive "$XVFB_PID"; then
    import -window root "$OUT/failure.png" 2>/dev/null
    xwininfo -root -tree >"$OUT/windows.txt" 2>&1
  fi
  exit 1
}

alive() { [[ -n $1 ]] && kill -0 "$1" 2>/dev/null; }

cleanup() {
  local pid
  for pid in "$SECOND_PID" "$FIRST_PID"; do
    if alive "$pid"; then
      kill -TERM "$pid" 2>/dev/null
      sleep 0.5
      alive "$pid" && kill -KILL "$pid" 2>/dev/null
    fi
  done
  if alive "$XVFB_PID"; then
    kill -TERM "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  [[ -n $WORK ]] && rm -rf "$WORK"
}
trap cleanup EXIT

# Waits up to $1 seconds for process $2 to end; its exit code is then in EXITED_WITH.
EXITED_WITH=""
wait_exit() {
  local seconds=$1 pid=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! alive "$pid"; then
      wait "$pid"
      EXITED_WITH=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

start_game() {  # start_game LOG: runs one copy in the background from the game folder; pid in STARTED
  (cd "$GAME_DIR" && exec "${RUN_LIMIT[@]}" "./$EXE") >"$1" 2>&1 &
  STARTED=$!
}

# Normalised RMSE of two pictures (compare prints "absolute (normalised)"); 1 when they cannot be compared.
rmse() {
  local text
  text=$(compare -metric RMSE "$1" "$2" null: 2>&1)
  if [[ $text =~ \(([0-9.e+-]+)\) ]]; then
    echo "${BASH_REMATCH[1]}"
  else
    echo 1
  fi
}

below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }

# ---- Preparation --------------------------------------------------------------------------------------

for tool in Xvfb xdotool xwininfo import convert compare timeout awk; do
  command -v "$tool" >/dev/null || fail "needs $tool on the PATH"
done
[[ -x "$GAME_DIR/$EXE" ]] || fail "no game program at '$GAME_DIR/$EXE' (build first, or pass the game folder)"
[[ -f "$GAME_DIR/Data/Title.bmp" ]] || fail "no $GAME_DIR/Data/Title.bmp"
GAME_DIR=$(cd "$GAME_DIR" && pwd)
mkdir -p "$OUT" || fail "cannot make $OUT"
rm -f "$OUT"/*.png "$OUT"/*.log
WORK=$(mktemp -d) || fail "cannot make a work folder"

# Xvfb picks a free display number itself and reports it once it accepts connections. -noreset: a server
# resets when its last client leaves and refuses whoever connects meanwhile, such as Uninstall's second
# message box right after its first (each box is a client of its own).
Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp -noreset 3>"$WORK/display" >"$OUT/xvfb.log" 2>&1 &
XVFB_PID=$!
for ((i = 0; i < 100; i++)); do
  [[ -s $WORK/display ]] && break
  alive "$XVFB_PID" || fail "Xvfb did not start"
  sleep 0.1
done
[[ -s $WORK/display ]] || fail "Xvfb reported no display within 10 s"
DISPLAY=":$(tr -dc '0-9' <"$WORK/display")"
export DISPLAY
say "Xvfb on $DISPLAY at ${SCREEN_W}x${SCREEN_H}"

export SDL_VIDEODRIVER=x11
export SDL_AUDIODRIVER=dummy
unset WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$WORK/config"
# A home of our own: the desktop folder the game and Uninstall find is ours, and absent until we make it.
export HOME="$WORK/home"
mkdir -p "$HOME"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"

# ---- The first copy shows the title picture ------------------------------------------------------------

start_game "$OUT/first.log"
FIRST_PID=$STARTED
window=""
for ((i = 0; i < 100; i++)); do
  window=$(xdotool search --name Quillmere 2>/dev/null | head -n 1)
  [[ -n $window ]] && break
  alive "$FIRST_PID" || { wait "$FIRST_PID"; fail "the game exited (code $?) before opening a window"; }
  sleep 0.1
done
[[ -n $window ]] || fail "no Quillmere window within 10 s"
say "ok: window $window is open"

convert "$GAME_DIR/Data/Title.bmp" -filter point -resize "${SCREEN_W}x${SCREEN_H}!" "$OUT/reference.png" ||
  fail "cannot scale Data/Title.bmp"
# The title menu lies over the middle of the picture, centred: 434 x 234 game pixels at (103, 123). Above
# and below it the screen is the title picture; inside it, the dialog's light grey face.
scale() { echo $(($1 * SCREEN_W / 640)); }
menu_top=$(( 123 * SCREEN_H / 480 ))
menu_bottom=$(( (123 + 234) * SCREEN_H / 480 + 1 ))
bands=("${SCREEN_W}x$((menu_top - 2))+0+0" "${SCREEN_W}x$((SCREEN_H - menu_bottom - 2))+0+$((menu_bottom + 2))")
band_distance() {
  local worst=0 d band
  for band in "${bands[@]}"; do
    convert "$1" -crop "$band" +repage "$WORK/shot-band.png"
    convert "$OUT/reference.png" -crop "$band" +repage "$WORK/reference-band.png"
    d=$(rmse "$WORK/shot-band.png" "$WORK/reference-band.png")
    below "$worst" "$d" && worst=$d
  done
  echo "$worst"
}
# A point of the dialog's face: game (110, 300), beside the QUIT button's top.
face_x=$(scale 110)
face_y=$(( 300 * SCREEN_H / 480 ))
face_grey() {
  convert "$1" -crop "1x1+${face_x}+${face_y}" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}
is_grey() { local r g b; read -r r g b <<<"$1"; ((r > 180 && r < 210 && g > 180 && g < 210 && b > 180 && b < 210)); }

# The window appears before the picture is painted: look again until it matches, for up to 5 s.
mean=0
distance=1
grey=""
for ((i = 0; i < 25; i++)); do
  import -window root "$OUT/title.png" 2>>"$OUT/import.log" || fail "screenshot failed"
  mean=$(convert "$OUT/title.png" -format '%[fx:mean]' info:)
  distance=$(band_distance "$OUT/title.png")
  grey=$(face_grey "$OUT/title.png")
  below 0.05 "$mean" && below "$distance" "$MAX_RMSE" && is_grey "$grey" && break
  alive "$FIRST_PID" || fail "the game exited while showing the title"
  sleep 0.2
done
below 0.05 "$mean" || fail "the screen is almost all black (mean $mean); see $OUT/title.png"
say "ok: the screen is not black (mean $mean)"
below "$distance" "$MAX_RMSE" ||
  fail "above and below the menu the screen is not the title picture (RMSE $distance); see $OUT/title.png"
say "ok: the title picture is scaled to full screen around the menu (RMSE $distance)"
is_grey "$grey" || fail "no title menu at the centre of the screen (colour $grey there); see $OUT/title.png"
say "ok: the title menu is up, centred"

# ---- A second copy bows out -----------------------------------------------------------------------------

start_game "$OUT/second.log"
SECOND_PID=$STARTED
wait_exit 3 "$SECOND_PID" || fail "a second copy was still running after 3 s"
[[ $EXITED_WITH == 0 ]] || fail "a second copy exited with code $EXITED_WITH, not 0"
alive "$FIRST_PID" || fail "the first copy ended when the second started"
windows=$(xdotool search --name Quillmere 2>/dev/null | wc -l)
[[ $windows == 1 ]] || fail "$windows Quillmere windows after the second copy ran, not 1"
say "ok: a second copy exited at once with code 0, the first runs on"

# ---- Asked to close, the game ends cleanly -------------------------------------------------------------

kill -TERM "$FIRST_PID"
wait_exit 5 "$FIRST_PID" || fail "the game was still running 5 s after a TERM signal"
[[ $EXITED_WITH == 0 ]] || fail "the game exited with code $EXITED_WITH after a TERM signal, not 0"
say "ok: the game closed with code 0 on a TERM signal"

# ---- Name a player, start, leave the round with Esc; a second round ended by TERM ------------------------

# Waits up to $1 seconds for the command after it to succeed while the game runs, looking every 0.2 s.
wait_until() {
  local seconds=$1 i
  shift
  for ((i = 0; i < seconds * 5; i++)); do
    "$@" && return 0
    alive "$FIRST_PID" || return 1
    sleep 0.2
  done
  return 1
}
shot() { import -window root "$OUT/$1.png" 2>>"$OUT/import.log"; }
# Slot 1's name box, game (140, 175) to (200, 195), holds selected text: the selection's navy is there.
name_selected() {
  shot "$1"
  [[ $(convert "$OUT/$1.png" -crop "$(scale 60)x$((20 * SCREEN_H / 480))+$(scale 140)+$((175 * SCREEN_H / 480))" \
    +repage -fuzz 6% -fill white +opaque 'rgb(0,0,128)' -format '%[fx:minima.r]' info:) == 0 ]]
}
name_typed() { ! name_selected named; }
title_gone() { shot hole1 && below "$MAX_RMSE" "$(band_distance "$OUT/hole1.png")"; }
name_stored() { grep -q '"Player 1"="Smokey"' "$XDG_CONFIG_HOME/Lindqvarn/Kormo1.reg"; }
menu_back() { shot back && below "$(band_distance "$OUT/back.png")" "$MAX_RMSE" && is_grey "$(face_grey "$OUT/back.png")"; }

# A name of our own for slot 1, whatever the machine's owner is called, so that there is text to select.
sed -i 's/^"Player 1"=.*/"Player 1"="Tester"/' "$XDG_CONFIG_HOME/Lindqvarn/Kormo1.reg"
start_game "$OUT/third.log"
FIRST_PID=$STARTED  # cleaned up like the first copy
# Start-up waits for the music player, and keys typed before the menu is up go to the game window. Slot 1's
# name is selected at the menu's first tick: typing then replaces it; Enter is the start button.
wait_until 10 name_selected waiting || fail "slot 1's name was never selected in the title menu; see $OUT/waiting.png"
xdotool type --delay 50 "Smokey"
wait_until 5 name_typed || fail "the typed name did not replace the selected one; see $OUT/named.png"
xdotool key Return
wait_until 5 title_gone || fail "the screen still shows the title after the start; see $OUT/hole1.png"
say "ok: the start button leaves the title for the round"
wait_until 5 name_stored || fail "the settings file does not hold the typed name; see $OUT/named.png"
say "ok: the typed name is in the settings file"
xdotool key Escape
wait_until 5 menu_back || fail "Esc did not bring back the title menu; see $OUT/back.png"
say "ok: Esc ends the round and the title menu is back"
# A second round, ended by a TERM signal while it is played.
xdotool key Return
wait_until 5 title_gone || fail "the second round did not start; see $OUT/hole1.png"
kill -TERM "$FIRST_PID"
wait_exit 5 "$FIRST_PID" || fail "the game was still running 5 s after a TERM during a round"
[[ $EXITED_WITH == 0 ]] || fail "a TERM during a round gave exit code $EXITED_WITH, not 0"
say "ok: a TERM during a round ends the game with code 0"

# ---- First run with a desktop folder: the launcher question --------------------------------------------

SETTINGS="$XDG_CONFIG_HOME/Lindqvarn/Kormo1.reg"
DESKTOP="$HOME/Desktop"
LAUNCHER="$DESKTOP/Quillmere Brindlemoor.desktop"
UNINSTALL="$GAME_DIR/Uninstall"
[[ -x $UNINSTALL ]] || fail "no Uninstall program in the game folder"

# Native message boxes are small top-level windows named after the caption; xdotool cannot search a name
# stored as UTF8_STRING, so look for it in the window tree. Prints the window id, if one shows within $1 s.
find_box() {
  local seconds=$1 i id
  for ((i = 0; i < seconds * 10; i++)); do
    id=$(xwininfo -root -tree 2>/dev/null | awk '/"Quillmere": \(/ { print $1; exit }')
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
answer_box() {  # answer_box ID KEY: Return is the default button (Yes, OK), Escape is No
  xdotool windowfocus --sync "$(($1))" key "$2" 2>/dev/null || xdotool key "$2"
}
box_gone() {  # box_gone SECONDS
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Quillmere": (' || return 0
    sleep 0.1
  done
  return 1
}

# The question is drawn in the game's window, centred: a point of its face where the title picture is not
# grey tells that it is up.
question_points=()
for point in "512x384" "472x384" "552x384" "512x364"; do
  is_grey "$(convert "$OUT/reference.png" -crop "1x1+${point/x/+}" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)" ||
    question_points+=("$point")
done
((${#question_points[@]} > 0)) || fail "the title picture is grey wherever the launcher question would show"
question_up() {
  import -window root "$WORK/question.png" 2>>"$OUT/import.log" || return 1
  is_grey "$(convert "$WORK/question.png" -crop "1x1+${question_points[0]/x/+}" \
    -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)"
}

rm -f "$SETTINGS"
mkdir -p "$DESKTOP"
start_game "$OUT/question-term.log"
FIRST_PID=$STARTED
for ((i = 0; i < 40; i++)); do
  question_up && break
  alive "$FIRST_PID" || fail "the game ended before asking for its launcher"
  sleep 0.25
done
question_up || fail "no launcher question on the first run; see $WORK/question.png"
kill -TERM "$FIRST_PID"
wait_exit 3 "$FIRST_PID" || fail "the game was still running 3 s after a TERM while it asked for its launcher"
[[ $EXITED_WITH == 0 ]] || fail "a TERM while the launcher question was up gave exit code $EXITED_WITH, not 0"
[[ ! -e $LAUNCHER ]] || fail "a TERM while the launcher question was up wrote a launcher"
say "ok: a TERM while the launcher question is up ends the game with code 0 and no launcher"

rm -f "$SETTINGS"
QUILL_DEBUG=1 start_game "$OUT/launcher.log"
FIRST_PID=$STARTED
if box=$(find_box 15); then
  import -window root "$OUT/shortcut-question.png" 2>>"$OUT/import.log"
  answer_box "$box" Return
else
  # The question may be drawn inside the game's own window instead: Enter takes its default button, Yes.
  window=$(xdotool search --name "$EXE" 2>/dev/null | head -n 1)
  [[ -n $window ]] || fail "neither a shortcut question nor the game's window on the first run"
  import -window root "$OUT/shortcut-question.png" 2>>"$OUT/import.log"
  xdotool windowfocus --sync "$window" key Return 2>/dev/null || xdotool key Return
fi
for ((i = 0; i < 50; i++)); do
  [[ -f $LAUNCHER ]] && break
  sleep 0.1
done
[[ -f $LAUNCHER ]] || fail "Yes to the shortcut question wrote no launcher"
start_dir=$(cd "$GAME_DIR" && pwd -P)
grep -qxF "Exec=\"$start_dir/$EXE\"" "$LAUNCHER" || fail "the launcher does not start the game: $(cat "$LAUNCHER")"
grep -qxF "Path=$start_dir" "$LAUNCHER" || fail "the launcher does not start in the game folder"
grep -qxF "Type=Application" "$LAUNCHER" || fail "the launcher is not an application entry"
[[ $(stat -c %a "$LAUNCHER") == 755 ]] || fail "the launcher is not executable ($(stat -c %a "$LAUNCHER"))"
[[ -f $SETTINGS ]] || fail "no settings file after the first run"
kill -TERM "$FIRST_PID"
wait_exit 5 "$FIRST_PID" || fail "the game did not close after the shortcut question"
start_game "$OUT/launcher.log"
FIRST_PID=$STARTED
if box=$(find_box 3); then
  answer_box "$box" Escape
  fail "the shortcut question came back on the second start"
fi
kill -TERM "$FIRST_PID"
wait_exit 5 "$FIRST_PID" || fail "the game did not close on its second start"
say "ok: the first run offered the launcher once, and Yes wrote it"

# ---- Uninstall in a real window ------------------------------------------------------------------------

run_uninstall() {  # run_uninstall LOG: in the background from the game folder; pid in STARTED
  # QUILL_DEBUG: should the native box fail, the log says why.
  (cd "$GAME_DIR" && QUILL_DEBUG=1 exec "${RUN_LIMIT[@]}" ./Uninstall) >"$1" 2>&1 &
  STARTED=$!
}

run_uninstall "$OUT/uninstall-no.log"
pid=$STARTED
box=$(find_box 20) || fail "Uninstall showed no question"
answer_box "$box" Escape
wait_exit 5 "$pid" || fail "Uninstall did not end after No"
[[ $EXITED_WITH == 0 ]] || fail "Uninstall exited with code $EXITED_WITH after No"
[[ -f $SETTINGS && -f $LAUNCHER ]] || fail "Uninstall removed something after No"
say "ok: Uninstall answered No changes nothing"

run_uninstall "$OUT/uninstall-yes.log"
pid=$STARTED
box=$(find_box 20) || fail "Uninstall showed no question"
import -window root "$OUT/uninstall-question.png" 2>>"$OUT/import.log"
answer_box "$box" Return
for ((i = 0; i < 50; i++)); do
  [[ ! -e $SETTINGS && ! -e $LAUNCHER ]] && break
  sleep 0.1
done
[[ ! -e $SETTINGS ]] || fail "Uninstall left the settings file"
[[ ! -e $(dirname "$SETTINGS") ]] || fail "Uninstall left the settings folder, empty"
[[ ! -e $LAUNCHER ]] || fail "Uninstall left the launcher"
box=$(find_box 20) || fail "Uninstall showed no closing message"
import -window root "$OUT/uninstall-done.png" 2>>"$OUT/import.log"
alive "$pid" || fail "Uninstall ended before its closing message was answered"
answer_box "$box" Return
wait_exit 5 "$pid" || fail "Uninstall did not end after its closing message"
[[ $EXITED_WITH == 0 ]] || fail "Uninstall exited with code $EXITED_WITH"
[[ -d $DESKTOP && -x "$GAME_DIR/$EXE" ]] || fail "Uninstall removed more than its two files"
box_gone 3 || fail "a message box stayed on screen after Uninstall ended"
say "ok: Uninstall answered Yes removed the settings file and the launcher, and said so"

# ---- Uninstall without a display asks on the terminal --------------------------------------------------

mkdir -p "$(dirname "$SETTINGS")"
: >"$SETTINGS"
: >"$LAUNCHER"
(cd "$GAME_DIR" && env -u DISPLAY "${RUN_LIMIT[@]}" ./Uninstall </dev/null) >"$OUT/uninstall-nodisplay.log" 2>&1
code=$?
[[ $code == 0 ]] || fail "Uninstall with no display and no terminal exited with code $code"
[[ -f $SETTINGS && -f $LAUNCHER ]] || fail "Uninstall with nobody to ask removed something"
if command -v script >/dev/null; then
  # script gives Uninstall a terminal; the answer is typed into it.
  (cd "$GAME_DIR" && echo y | env -u DISPLAY "${RUN_LIMIT[@]}" script -qec ./Uninstall /dev/null) \
    >"$OUT/uninstall-terminal.log" 2>&1
  code=$?
  [[ $code == 0 ]] || fail "Uninstall on a terminal exited with code $code"
  [[ ! -e $SETTINGS && ! -e $LAUNCHER ]] || fail "Uninstall answered y on a terminal left its files"
  grep -q "Quillmere Has been UnInstalled." "$OUT/uninstall-terminal.log" ||
    fail "Uninstall on a terminal did not say it was done"
  say "ok: without a display Uninstall asks on the terminal (no terminal: it changes nothing)"
else
  say "ok: without a display and a terminal Uninstall changes nothing (no 'script' to test a terminal)"
fi

# ---- The display goes away under a running game ----------------------------------------------------------

start_game "$OUT/lost-display.log"
FIRST_PID=$STARTED
for ((i = 0; i < 40; i++)); do
  import -window root "$OUT/waiting.png" 2>>"$OUT/import.log"
  is_grey "$(face_grey "$OUT/waiting.png")" && break
  sleep 0.25
done
alive "$FIRST_PID" || fail "the game did not start for the lost-display check"
kill -KILL "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null
XVFB_PID=""
wait_exit 2 "$FIRST_PID" || fail "the game was still running 2 s after its display went away"
[[ $EXITED_WITH == 1 ]] || fail "the game exited with code $EXITED_WITH when its display went away, not 1"
grep -q "the display went away" "$OUT/lost-display.log" || fail "the game did not say its display went away"
say "ok: when its display goes away the game ends at once with code 1"

say "PASS (screenshots in $OUT)"
echo "smoke: 16 passed, 0 failed"
