#!/usr/bin/env bash
# Sets everything up on a Debian 12 machine and starts the game from its game folder.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
build_game quillmere game_folder
cd "$BUILD_DIR/game"
exec "./Quillmere Brindlemoor"
