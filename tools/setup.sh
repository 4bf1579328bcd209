#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and builds the game and its tools.
# Sourced by play.sh and test.sh, which then call build_game; BUILD_DIR may be set by the caller.
set -euo pipefail

QUILL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$QUILL_ROOT/build}"

QUILL_PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev libx11-dev libfreetype-dev libpng-dev libfluidsynth-dev timgm6mb-soundfont fonts-liberation
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xfonts-base xdotool x11-utils imagemagick sox
  dpkg-dev file appstream desktop-file-utils
)

install_missing_packages() {
  local missing=() p
  for p in "${QUILL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Builds the named targets (everything when none are named).
build_game() {
  local werror=OFF target
  [ -n "${CI:-}" ] && werror=ON
  cmake -S "$QUILL_ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_WERROR=$werror >/dev/null
  if (($# == 0)); then
    cmake --build "$BUILD_DIR" -j2
    return
  fi
  for target in "$@"; do cmake --build "$BUILD_DIR" -j2 --target "$target"; done
}

install_missing_packages
