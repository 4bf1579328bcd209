#!/usr/bin/env bash
# One command for the Windows release: cross-builds the game, Uninstall, quillmere-sim and the Windows tests
# into build-win/, fills build-win/game/ with the data the Linux build's coursebuild makes, and zips the
# game folder as build-win/Quillmere-Windows.zip.
#   tools/windows/build.sh            (needs g++-mingw-w64-x86-64-posix and the Linux build's packages)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
WIN=$ROOT/build-win
source tools/setup.sh >/dev/null
build_game game_folder
cmake -S . -B "$WIN" -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DQUILL_WERROR=ON >/dev/null
# Test discovery runs the tests under Wine: keep it inside the build folder.
source tools/windows/wine_env.sh "$WIN"
cmake --build "$WIN" -j2
for folder in Holes Balls Snds Data Music; do
  rm -rf "${WIN:?}/game/$folder"
  cp -r "$BUILD_DIR/game/$folder" "$WIN/game/"
done
cp README.md "$WIN/game/README.md"
rm -f "$WIN/Quillmere-Windows.zip"
(cd "$WIN" && cmake -E tar cf Quillmere-Windows.zip --format=zip -- game/*.exe game/README.md game/Holes game/Balls \
  game/Snds game/Data game/Music)
echo "build.sh: $WIN/game and $WIN/Quillmere-Windows.zip"
