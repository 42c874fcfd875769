# The presented frame holds the sprite drawn inside a scene and nothing else.
set -e
[ -s out.png ] || { echo "no screenshot"; exit 1; }
python3 pngdiff.py out.png "$GOLDEN/screen/outside_scene.png" 0
