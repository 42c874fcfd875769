# The rule image (a 64 x 64 radial gradient made by ImageMagick).
set -e
cp "$FIXTURES/transition/rule64.png" .
cp "$FIXTURES/../lua/texture_frame/pngdiff.py" .
