# The screen_draw_outside_scene game, drawn by the OpenGL device.
set -e
cp "$FIXTURES/../lua/screen_draw_outside_scene/root.lua" "$FIXTURES/../lua/screen_draw_outside_scene/check.sh" .
cp "$FIXTURES/../lua/texture_frame/pngdiff.py" .
