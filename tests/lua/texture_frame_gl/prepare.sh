# The same game as texture_frame, drawn by the OpenGL device.
set -e
base="$FIXTURES/../lua/texture_frame"
cp "$base/root.lua" "$base/pngdiff.py" .
bash "$base/prepare.sh"
