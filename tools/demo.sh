#!/usr/bin/env bash
# Sets up, builds and runs the bundled demo game: in a window when a display
# exists, else headless for a few seconds with a screenshot in build/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/qor build/demo
else
  build/qor --headless --frames 270 --input examples/demo/selfplay.txt --screenshot build/demo.png build/demo
  echo "demo ran headless; its last frame is build/demo.png"
fi
