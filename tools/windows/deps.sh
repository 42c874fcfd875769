#!/usr/bin/env bash
# Builds the engine's libraries for 64-bit Windows, static, from Debian's source
# packages, into a cached prefix; prints that prefix's path on stdout (progress
# goes to stderr).
#
# The prefix is keyed on the sources' .dsc files, the cross toolchain's version
# and this script, so a finished one is reused as is. It is built in a temporary
# directory and renamed only once complete: an interrupted build is never reused.
set -euo pipefail

CACHE=${QOR_WINDOWS_CACHE:-$HOME/.cache/qor-windows}
SRC=$CACHE/sources
LOGS=$CACHE/logs
HOST=x86_64-w64-mingw32
CC=$HOST-gcc-posix
CXX=$HOST-g++-posix
JOBS=${QOR_JOBS:-2}
# Source packages, in build order (zlib comes from Debian's libz-mingw-w64-dev).
PACKAGES=(lua5.1 libogg libvorbis libpng1.6 libjpeg-turbo freetype libsdl2 libvpx ffmpeg)
mkdir -p "$SRC" "$LOGS"
say() { echo "deps: $*" >&2; }

# --- sources: fetched once through apt, then kept (old revisions leave the archive)
dsc_of() { ls "$SRC/$1"_*.dsc 2>/dev/null | sort -V | tail -n 1; }
fetch_sources() {
  local missing=()
  for p in "${PACKAGES[@]}"; do [ -n "$(dsc_of "$p")" ] || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && [ -z "${QOR_WINDOWS_REFRESH:-}" ] && return 0
  [ ${#missing[@]} -eq 0 ] && missing=("${PACKAGES[@]}")
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    say "adding a deb-src entry for bookworm main"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
      > /etc/apt/sources.list.d/qor-deb-src.sources
  fi
  say "fetching sources: ${missing[*]}"
  apt-get update -qq >&2
  (cd "$SRC" && apt-get source --download-only -qq "${missing[@]}" >&2)
}
fetch_sources

# --- the key
key=$({
  for p in "${PACKAGES[@]}"; do cat "$(dsc_of "$p")"; done
  $CXX --version | head -n 1
  dpkg-query -W g++-mingw-w64-x86-64-posix mingw-w64-common libz-mingw-w64-dev libgtest-dev nasm
  cat "$0"
} | sha256sum | cut -c1-16)
PREFIX=$CACHE/prefix-$key
if [ -f "$PREFIX/.complete" ]; then
  say "reusing $PREFIX"
  echo "$PREFIX"
  exit 0
fi

# QOR_DEPS_RESUME=1 (when working on this script) keeps the libraries an
# interrupted or failed build of this same key finished; otherwise all are built.
TMP=$CACHE/tmp-$key
WORK=$CACHE/work-$key
[ -n "${QOR_DEPS_RESUME:-}" ] || rm -rf "$TMP"
rm -rf "$WORK"
mkdir -p "$TMP/lib/pkgconfig" "$WORK"
P=$TMP
export PKG_CONFIG_LIBDIR=$P/lib/pkgconfig PKG_CONFIG_PATH=
export CC CXX

unpack() {  # unpack PACKAGE -> cd into its patched source tree
  local dsc dir
  dsc=$(dsc_of "$1")
  dir=$WORK/$1
  dpkg-source --no-check -x "$dsc" "$dir" >/dev/null 2>&1 || dpkg-source --no-check --skip-patches -x "$dsc" "$dir"
  cd "$dir"
}
cmake_build() {  # cmake_build SRCDIR [cmake args...]: configure, build and install with the cross compilers
  local src=$1; shift
  cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
    -DCMAKE_C_COMPILER=$CC -DCMAKE_CXX_COMPILER=$CXX -DCMAKE_RC_COMPILER=$HOST-windres \
    -DCMAKE_FIND_ROOT_PATH="$P;/usr/$HOST" -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY -DCMAKE_INSTALL_PREFIX="$P" \
    -DCMAKE_INSTALL_LIBDIR="$P/lib" -DBUILD_SHARED_LIBS=OFF "$@"
  ninja -C "$src/_build" -j"$JOBS" install
}
autotools_build() {  # autotools_build [configure args...]
  ./configure --host=$HOST --prefix="$P" --disable-shared --enable-static "$@"
  make -j"$JOBS"
  make install
}

build_zlib() {  # the toolchain's own static zlib, made visible to pkg-config
  cat > "$P/lib/pkgconfig/zlib.pc" <<EOF
Name: zlib
Description: zlib from libz-mingw-w64-dev
Version: 1.2.13
Libs: -lz
EOF
}
build_lua5.1() {
  unpack lua5.1
  mkdir -p "$P/include/lua5.1"
  local objs=()
  for f in src/*.c; do
    case $(basename "$f") in lua.c|luac.c|print.c) continue;; esac
    $CC -O2 -Wall -c "$f" -o "${f%.c}.o"
    objs+=("${f%.c}.o")
  done
  $HOST-ar rcs "$P/lib/liblua5.1.a" "${objs[@]}"
  cp src/lua.h src/luaconf.h src/lualib.h src/lauxlib.h etc/lua.hpp "$P/include/lua5.1/"
  cat > "$P/lib/pkgconfig/lua5.1.pc" <<EOF
prefix=$P
Name: Lua
Description: Lua 5.1, static
Version: 5.1.5
Cflags: -I\${prefix}/include/lua5.1
Libs: -L\${prefix}/lib -llua5.1
EOF
}
build_libogg() { unpack libogg; autotools_build; }
build_libvorbis() { unpack libvorbis; autotools_build --disable-docs --disable-examples --disable-oggtest; }
build_libpng1.6() {
  unpack libpng1.6
  cmake_build . -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON
}
build_libjpeg-turbo() {
  unpack libjpeg-turbo
  cmake_build . -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON \
    -DCMAKE_ASM_NASM_COMPILER=nasm
}
build_freetype() {
  unpack freetype
  # The toolchain's zlib, not FreeType's own copy, whose symbols clash with it at link time.
  cmake_build . -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}
build_libsdl2() {
  unpack libsdl2
  cmake_build . -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
}
build_libvpx() {  # VP8/VP9 decoders only: the alpha plane of WebM movies needs libvpx's decoder
  unpack libvpx
  CROSS=$HOST- ./configure --target=x86_64-win64-gcc --prefix="$P" --as=nasm \
    --disable-examples --disable-tools --disable-docs --disable-unit-tests \
    --disable-vp8-encoder --disable-vp9-encoder --enable-vp8-decoder --enable-vp9-decoder --enable-static --disable-shared
  CROSS=$HOST- make -j"$JOBS"
  CROSS=$HOST- make install
}
build_ffmpeg() {  # trimmed to the containers and codecs the engine's movies use
  unpack ffmpeg
  ./configure --prefix="$P" --enable-cross-compile --cross-prefix=$HOST- --cc=$CC --cxx=$CXX \
    --arch=x86_64 --target-os=mingw32 --pkg-config=pkg-config --pkg-config-flags=--static \
    --disable-shared --enable-static --disable-debug --disable-programs --disable-doc \
    --disable-network --disable-autodetect --disable-everything --disable-hwaccels \
    --disable-avdevice --disable-avfilter --disable-postproc --enable-w32threads \
    --enable-swscale --enable-swresample --enable-libvpx --extra-libs=-lpthread \
    --enable-protocol=file --enable-demuxer=mov,matroska \
    --enable-decoder=h264,aac,qtrle,vp8,vp9,libvpx_vp8,libvpx_vp9 \
    --enable-parser=h264,aac,vp8,vp9
  make -j"$JOBS"
  make install
}
build_googletest() {  # for the unit tests, from libgtest-dev's sources
  cp -r /usr/src/googletest "$WORK/googletest"
  cmake_build "$WORK/googletest" -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON
}

total=$(date +%s)
for lib in zlib "${PACKAGES[@]}" googletest; do
  [ -f "$TMP/.built-$lib" ] && { printf 'deps: %-14s kept\n' "$lib" >&2; continue; }
  start=$(date +%s)
  log=$LOGS/$lib.log
  printf 'deps: %-14s ' "$lib" >&2
  if ! ( cd "$WORK" && "build_$lib" ) >"$log" 2>&1; then
    echo "FAILED, last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  echo "$(( $(date +%s) - start )) s" >&2
  touch "$TMP/.built-$lib"
done
rm -f "$TMP"/.built-*

# Make the prefix relocatable to its final name, then publish it in one rename.
find "$TMP" -name '*.la' -delete
grep -rlI --null "$TMP" "$TMP" | xargs -0 -r sed -i "s|$TMP|$PREFIX|g"
touch "$TMP/.complete"
rm -rf "$PREFIX"
mv "$TMP" "$PREFIX"
rm -rf "$WORK"
say "all built in $(( $(date +%s) - total )) s into $PREFIX"
echo "$PREFIX"
