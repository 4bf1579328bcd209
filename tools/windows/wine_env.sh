# Sourced: keeps Wine inside the Windows build folder ($1, default build-win) and quiet; a crash exits at once
# (no debugger dialog) and no menu entries are made. Sound goes through Wine's ALSA driver to ALSA's null
# device, so the game's waveOut path runs for real without a sound card or noise.
QUILL_WIN_BUILD=$(realpath -m "${1:-build-win}")
export WINEPREFIX=$QUILL_WIN_BUILD/wine/prefix
export HOME=$QUILL_WIN_BUILD/wine/home
export XDG_RUNTIME_DIR=$QUILL_WIN_BUILD/wine/run XDG_CACHE_HOME=$QUILL_WIN_BUILD/wine/cache
export XDG_CONFIG_HOME=$QUILL_WIN_BUILD/wine/config XDG_DATA_HOME=$QUILL_WIN_BUILD/wine/data
export TMPDIR=$QUILL_WIN_BUILD/wine/tmp
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe,winedbg.exe=d;winepulse.drv=d"
mkdir -p "$WINEPREFIX" "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
[[ -f $HOME/.asoundrc ]] || echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
export QUILL_WAVE_DEVICE=1  # the Windows tests may count on a wave output device

# A persistent server, so that each test does not wait for Wine's background processes (wineserver -k ends it).
# The first start makes the prefix; without a window manager DestroyWindow would stall for seconds.
wine_start() {
  wineserver -p
  wine cmd /c exit
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
}
