#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the whole suite there (after tools/test.sh set up the
# machine). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_SANITIZE=ON -DQOR_BENCH=OFF "$@" \
  > build-asan.log 2>&1 || { cat build-asan.log; exit 1; }
ninja -C build-asan
cd build-asan && ctest --output-on-failure -j2 --timeout 600
