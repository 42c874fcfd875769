# The same pictures as transition_frames, drawn by the OpenGL device.
set -e
base="$FIXTURES/../lua/transition_frames"
cp "$base/root.lua" .
cp "$base/check.sh" check.sh.base
bash "$base/prepare.sh"
