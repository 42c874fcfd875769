#!/usr/bin/env bash
# Builds everything in build-NAME/ with extra cmake settings and runs the whole
# suite there (after tools/test.sh set up the machine).
# Usage: tools/test_variant.sh NAME TIMEOUT CMAKE_ARGS...
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1 timeout=$2
shift 2
bash tools/setup.sh
cmake -S . -B "build-$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_BENCH=OFF "$@" \
  > "build-$name.log" 2>&1 || { cat "build-$name.log"; exit 1; }
ninja -C "build-$name"
cd "build-$name" && ctest --output-on-failure -j2 --timeout "$timeout"
