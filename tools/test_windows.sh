#!/usr/bin/env bash
# Builds the Windows binaries (tools/build-windows.sh) and tests them under Wine
# in a virtual X display: the Lua scenario games with qor.exe, the unit tests
# that need no Linux-only service, and a shipped folder (--dist) of the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$ROOT/build-windows

bash tools/build-windows.sh

# Scenarios Wine cannot run as Linux does, one reason each.
SKIP_SCENARIOS=(
)
# Unit tests that need Linux-only services (gtest filter patterns), one reason each.
SKIP_UNITS=(
)

source tools/windows/wine-env.sh
qor_wine_prefix
start=$(date +%s)
status=0

# Everything under one X server and one long-lived wineserver, so each of the
# many short qor.exe runs starts quickly.
run_all() {
  qor_wine_server
  local skip="" s f
  for s in "${SKIP_SCENARIOS[@]}"; do skip+="${skip:+|}^lua\.${s%% *}\$"; done
  echo "test-windows: scenarios"
  (cd "$BUILD" && ctest -j2 --timeout 300 --output-on-failure ${skip:+-E "$skip"}) || status=1

  f=""
  for s in "${SKIP_UNITS[@]}"; do f+="${f:+:}${s%% *}"; done
  echo "test-windows: unit tests"
  (cd "$BUILD/tests" && "$ROOT/tools/windows/wine-run.sh" ./qor_unit.exe --gtest_brief=1 ${f:+--gtest_filter="-$f"}) || status=1

  echo "test-windows: a shipped demo"
  local dist=$BUILD/dist-test/demo
  bash tools/build-windows.sh --dist "$BUILD/demo" "$dist" >/dev/null
  # Started from elsewhere with no game argument: the exe finds the game beside it.
  if (cd / && "$ROOT/tools/windows/wine-run.sh" "$dist/demo.exe" --headless --frames 30 \
        --screenshot "$BUILD/dist-test/last.png" > "$BUILD/dist-test/stdout.txt") &&
     grep -q "root.lua is running" "$BUILD/dist-test/stdout.txt" && [ -s "$BUILD/dist-test/last.png" ]; then
    echo "test-windows: the shipped demo ran"
  else
    echo "test-windows: the shipped demo failed"; cat "$BUILD/dist-test/stdout.txt"; status=1
  fi
  return $status
}
export -f run_all qor_wine_server
export BUILD ROOT status
xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'source tools/windows/wine-env.sh; run_all' || status=1
echo "test-windows: $( [ $status = 0 ] && echo passed || echo FAILED ) in $(( $(date +%s) - start )) s"
exit $status
