# OpenGL rounds blending and texel edges a little differently from the
# reference device: channels may differ by 2, and a few pixels on texel
# boundaries inside turned or sheared sprites by more.
set -e
[ -s out.png ] || { echo "no screenshot"; exit 1; }
python3 pngdiff.py out.png "$GOLDEN/texture/frame.png" 2 20
