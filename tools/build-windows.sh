#!/usr/bin/env bash
# Cross-builds the engine for 64-bit Windows: qor.exe, qar.exe, the demo and the
# unit tests, in build-windows/, all libraries linked in statically.
#
#   bash tools/build-windows.sh                          build
#   bash tools/build-windows.sh --dist GAME_DIR [OUT]    build, then write a shippable
#                                                        folder for the game (default
#                                                        build-windows/dist/<game name>)
#
# The libraries come from Debian's source packages, built once into a cached
# prefix under ${QOR_WINDOWS_CACHE:-~/.cache/qor-windows} (tools/windows/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CACHE=${QOR_WINDOWS_CACHE:-$HOME/.cache/qor-windows}
export QOR_WINDOWS_CACHE=$CACHE
BUILD=$ROOT/build-windows
HOST=x86_64-w64-mingw32

dist_game="" dist_out=""
case "${1:-}" in
  "") ;;
  --dist)
    [ $# -ge 2 ] || { echo "usage: $0 --dist GAME_DIR [OUT_DIR]" >&2; exit 2; }
    dist_game=$2 dist_out=${3:-}
    [ -f "$dist_game/root.lua" ] || ls "$dist_game"/*.qar >/dev/null 2>&1 ||
      { echo "build-windows: $dist_game is not a game folder (no root.lua or archive)" >&2; exit 2; }
    ;;
  *) echo "usage: $0 [--dist GAME_DIR [OUT_DIR]]" >&2; exit 2;;
esac

# --- tools (as root, quiet when present)
bash tools/setup.sh tools/windows/packages.txt

# --- libraries
start=$(date +%s)
prefix=$(bash tools/windows/deps.sh)
echo "$prefix" > "$CACHE/current-prefix"
echo "build-windows: libraries ready in $(( $(date +%s) - start )) s ($prefix)"

# --- the engine (the demo's archive is packed by qar.exe under Wine at build time)
source tools/windows/wine-env.sh
qor_wine_prefix
step=$(date +%s)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# A new prefix (new sources or toolchain) invalidates every library path CMake found.
if ! grep -qxF "QOR_WINDOWS_PREFIX:PATH=$prefix" "$BUILD/CMakeCache.txt" 2>/dev/null; then
  rm -rf "$BUILD/CMakeCache.txt" "$BUILD/CMakeFiles" "$BUILD/build.ninja"
fi
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DQOR_WINDOWS_PREFIX="$prefix" \
    -DQOR_BENCH=OFF "${launcher[@]}"
fi
ninja -C "$BUILD" -j2 qor qar demo qor_unit
echo "build-windows: engine built in $(( $(date +%s) - step )) s"

# Everything static: the executables may import Windows' own DLLs only.
for exe in qor.exe qar.exe tests/qor_unit.exe; do
  bad=$($HOST-objdump -p "$BUILD/$exe" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|version|advapi32|setupapi|shell32|comdlg32|comctl32|dwmapi|opengl32|uuid|msvcrt|ws2_32|bcrypt|dinput8|dxgi|d3d9|d3d11|dsound|hid|cfgmgr32|shlwapi|winspool\.drv|api-ms-win-[a-z0-9-]+)\.dll$' || true)
  if [ -n "$bad" ]; then
    echo "build-windows: $exe imports non-system DLLs: $bad" >&2
    exit 1
  fi
done
echo "build-windows: $BUILD/qor.exe ($(stat -c %s "$BUILD/qor.exe") bytes) imports system DLLs only"

[ -z "$dist_game" ] && exit 0

# --- a shippable folder: the game's files, its exe named after it, the notices
game_dir=$(cd "$dist_game" && pwd)
name=$(basename "$game_dir")
out=${dist_out:-$BUILD/dist/$name}
rm -rf "$out"
mkdir -p "$out"
cp -r "$game_dir"/. "$out"/
$HOST-strip -o "$out/$name.exe" "$BUILD/qor.exe"
# A shipped game is a windowed program: double-clicked, it opens no console
# window behind the game (the console module makes one when a script prints).
# build-windows/qor.exe stays a console program, whose output tests read.
python3 tools/windows/pe_subsystem.py "$out/$name.exe" gui
# The licence page's notices, then the texts of what only the Windows build
# links in: FreeType, FFmpeg and libvpx (from their cached sources) and the
# MinGW-w64 runtime (from the toolchain's copyright file).
texts=$(mktemp -d)
src_text() {  # src_text TARBALL_GLOB MEMBER_SUFFIX OUTPUT
  local tarball
  tarball=$(ls $CACHE/sources/$1 | grep -v '\.asc$' | sort -V | tail -n 1)
  tar -xOf "$tarball" --wildcards "*/$2" > "$texts/$3"
}
src_text 'freetype_*.orig.tar.*' docs/FTL.TXT freetype
src_text 'ffmpeg_*.orig.tar.*' COPYING.LGPLv2.1 ffmpeg
src_text 'libvpx_*.orig.tar.*' LICENSE libvpx
python3 tools/windows/licenses.py "$ROOT/host/license.cpp" \
  "FreeType=$texts/freetype" "FFmpeg (LGPL 2.1 or later)=$texts/ffmpeg" "libvpx=$texts/libvpx" \
  "MinGW-w64 runtime=/usr/share/doc/mingw-w64-x86-64-dev/copyright" > "$out/LICENSES.txt"
rm -rf "$texts"
echo "build-windows: $out ready ($name.exe, $(ls "$out" | wc -l) entries)"
