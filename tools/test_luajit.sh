#!/usr/bin/env bash
# Builds everything against LuaJIT in build-luajit/ and runs the whole suite
# there (after tools/test.sh set up the machine). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build-luajit -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_LUA=luajit -DQOR_BENCH=OFF "$@" \
  > build-luajit.log 2>&1 || { cat build-luajit.log; exit 1; }
ninja -C build-luajit
cd build-luajit && ctest --output-on-failure -j2 --timeout 300
