#!/usr/bin/env bash
# The Debian package as a player gets it: cpack makes it, apt-get installs it, a player who cannot write to
# /usr starts `quillmere` on a private Xvfb screen, answers the first-run launcher question and sees the title
# menu; Uninstall takes the player's files away again, and apt-get remove leaves nothing of ours in /usr.
# Needs root (apt-get) and a build of everything.
#
#   tests/package/deb_install.sh [build dir]      (default build)
#
# Screenshots and logs go to $PACKAGE_OUT (default /tmp/quill-package).
set -uo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd) || exit 1
OUT=${PACKAGE_OUT:-/tmp/quill-package}
SCREEN_W=1024
SCREEN_H=768
PLAYER=nobody
GAME_DIR=/usr/lib/quillmere

say() { echo "deb_install: [${SECONDS} s] $*"; }
WORK=""
XVFB_PID=""
GAME_PID=""
alive() { [[ -n $1 ]] && kill -0 "$1" 2>/dev/null; }
cleanup() {
  alive "$GAME_PID" && kill -KILL "$GAME_PID" 2>/dev/null
  alive "$XVFB_PID" && kill -TERM "$XVFB_PID" 2>/dev/null
  [[ -n $WORK ]] && rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  say "FAIL: $*"
  [[ -s $OUT/game.log ]] && tail -n 20 "$OUT/game.log"
  exit 1
}
[[ $(id -u) == 0 ]] || fail "needs root, for apt-get"
id "$PLAYER" >/dev/null 2>&1 || fail "no user $PLAYER to play as"
mkdir -p "$OUT" && rm -f "$OUT"/*
WORK=$(mktemp -d) && chmod 755 "$WORK" || fail "cannot make a work folder"

# ---- Make the package, install it ---------------------------------------------------------------------

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK/package") >"$OUT/cpack.log" 2>&1 || fail "cpack failed; see $OUT/cpack.log"
DEB=$(ls "$WORK"/package/quillmere_*.deb 2>/dev/null | head -n 1)
[[ -f $DEB ]] || fail "cpack made no .deb"
dpkg-deb -I "$DEB" >"$OUT/control.txt" || fail "dpkg-deb cannot read $DEB"
for dep in libsdl2-2.0-0 libfreetype6 libfluidsynth3 timgm6mb-soundfont fonts-liberation; do
  grep -q "^ Depends:.*\b$dep\b" "$OUT/control.txt" || fail "the package does not depend on $dep"
done
# Every file of the package, for the check that removing it takes them all.
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { sub(/^[^.]*\./, ""); print }' >"$OUT/files.txt"
dpkg -s quillmere >/dev/null 2>&1 && apt-get remove -y -qq quillmere >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$DEB" >"$OUT/apt-install.log" 2>&1 ||
  fail "apt-get install failed; see $OUT/apt-install.log"
[[ $(command -v quillmere) == /usr/bin/quillmere ]] || fail "no quillmere command on the PATH after the install"
say "ok: $(basename "$DEB") ($(stat -c %s "$DEB") bytes) installed with apt-get"

appstreamcli validate --no-net "/usr/share/metainfo/io.github.quillmere.Quillmere.metainfo.xml" >"$OUT/appstream.log" 2>&1 ||
  fail "appstreamcli rejects the metainfo: $(cat "$OUT/appstream.log")"
desktop-file-validate /usr/share/applications/io.github.quillmere.Quillmere.desktop >"$OUT/desktop.log" 2>&1 ||
  fail "desktop-file-validate rejects the menu entry: $(cat "$OUT/desktop.log")"
[[ -s /usr/share/man/man1/quillmere-sim.1.gz || -s /usr/share/man/man1/quillmere-sim.1 ]] || fail "no manual page"
say "ok: the metainfo and the menu entry validate"

# ---- A player starts it: launcher question, title menu -------------------------------------------------

Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp 3>"$WORK/display" >"$OUT/xvfb.log" 2>&1 &
XVFB_PID=$!
for ((i = 0; i < 100; i++)); do
  [[ -s $WORK/display ]] && break
  sleep 0.1
done
[[ -s $WORK/display ]] || fail "Xvfb did not start"
DISPLAY=":$(tr -dc '0-9' <"$WORK/display")"

HOME_DIR=$WORK/home
mkdir -p "$HOME_DIR/Desktop" "$HOME_DIR/run" && chmod 700 "$HOME_DIR/run" && chown -R "$PLAYER" "$HOME_DIR"
# Runs the command as the player, in place of the calling (sub)shell, on the screen $SHOWN_ON.
as_player() {
  exec setpriv --reuid="$PLAYER" --regid="$(id -g "$PLAYER")" --clear-groups env -i PATH=/usr/bin:/bin \
    ${SHOWN_ON:+DISPLAY="$SHOWN_ON"} HOME="$HOME_DIR" XDG_CONFIG_HOME="$HOME_DIR/.config" XDG_RUNTIME_DIR="$HOME_DIR/run" \
    SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 "$@"
}
touch "$WORK/installed"
SHOWN_ON=$DISPLAY as_player timeout -k 5 60 quillmere >"$OUT/game.log" 2>&1 &
GAME_PID=$!

export DISPLAY
shot() { import -window root "$1" 2>>"$OUT/import.log"; }
pixel() { convert "$1" -crop "1x1+$2+$3" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:; }
is_grey() { local r g b; read -r r g b <<<"$1"; ((r > 180 && r < 210 && g > 180 && g < 210 && b > 180 && b < 210)); }
# The title menu is 434 x 234 game pixels at (103, 123), over the title picture: a point of its face is grey
# and the band above it is the title picture, scaled.
face=(176 480)
band="${SCREEN_W}x$((123 * SCREEN_H / 480 - 2))+0+0"
convert "$GAME_DIR/Data/Title.bmp" -filter point -resize "${SCREEN_W}x${SCREEN_H}!" -crop "$band" +repage \
  "$WORK/reference.png" || fail "cannot scale the installed Data/Title.bmp"
title_menu_up() {
  local text
  shot "$OUT/title.png" || return 1
  is_grey "$(pixel "$OUT/title.png" "${face[@]}")" || return 1
  convert "$OUT/title.png" -crop "$band" +repage "$WORK/band.png"
  text=$(compare -metric RMSE "$WORK/band.png" "$WORK/reference.png" null: 2>&1)
  [[ $text =~ \(([0-9.e+-]+)\) ]] && awk -v d="${BASH_REMATCH[1]}" 'BEGIN { exit !(d < 0.05) }'
}

# The first run asks for a launcher on the desktop, drawn over the middle of the title picture, where the
# picture itself is not grey; Enter answers Yes.
launcher="$HOME_DIR/Desktop/Quillmere Brindlemoor.desktop"
for ((i = 0; i < 60; i++)); do
  alive "$GAME_PID" || fail "the installed game exited at start"
  shot "$OUT/question.png" && is_grey "$(pixel "$OUT/question.png" 512 384)" && break
  sleep 0.25
done
xdotool key Return
for ((i = 0; i < 50; i++)); do
  [[ -f $launcher ]] && break
  sleep 0.1
done
[[ -f $launcher ]] || fail "no launcher after Yes to the first-run question; see $OUT/question.png"
icon=/usr/share/icons/hicolor/256x256/apps/io.github.quillmere.Quillmere.png
grep -qxF "Icon=$icon" "$launcher" || fail "the launcher does not show the installed icon: $(cat "$launcher")"
grep -qxF "Path=$GAME_DIR" "$launcher" || fail "the launcher does not start in $GAME_DIR"
say "ok: the first run wrote a launcher with the installed icon"

for ((i = 0; i < 40; i++)); do
  title_menu_up && break
  sleep 0.25
done
title_menu_up || fail "no title menu over the title picture; see $OUT/title.png"
say "ok: the title menu shows ($OUT/title.png)"
kill -TERM "$GAME_PID"
for ((i = 0; i < 50; i++)); do alive "$GAME_PID" || break; sleep 0.1; done
wait "$GAME_PID"
code=$?
GAME_PID=""
[[ $code == 0 ]] || fail "the game exited with code $code on TERM"

written=$(find "$GAME_DIR" /usr/bin /usr/share/icons/hicolor -newer "$WORK/installed" 2>/dev/null)
[[ -z $written ]] || fail "the game wrote into the installation: $written"
[[ -s $HOME_DIR/.config/Lindqvarn/Kormo1.reg && -e $HOME_DIR/run/Quillmere1.lock ]] ||
  fail "no settings file or lock in the player's XDG folders"
say "ok: settings and lock went to the player's XDG folders, nothing into the installation"

# ---- Uninstall, then the package goes --------------------------------------------------------------------

# Without a display Uninstall asks on the terminal that script gives it.
(cd "$WORK" && echo y | as_player timeout -k 5 20 script -qec "$GAME_DIR/Uninstall" /dev/null) >"$OUT/uninstall.log" 2>&1
[[ ! -e $HOME_DIR/.config/Lindqvarn && ! -e $launcher ]] || fail "Uninstall left the player's settings or launcher"
say "ok: Uninstall removed the settings and the launcher"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quillmere >"$OUT/apt-remove.log" 2>&1 ||
  fail "apt-get remove failed; see $OUT/apt-remove.log"
left=$(while read -r file; do [[ -e $file || -L $file ]] && echo "$file"; done <"$OUT/files.txt")
[[ -z $left && ! -e $GAME_DIR ]] || fail "apt-get remove left $left $GAME_DIR"
say "ok: apt-get remove took every file of the package"
say "PASS in ${SECONDS} s"
