# The screenshot must equal the golden frame pixel for pixel.
set -e
[ -s out.png ] || { echo "no screenshot"; exit 1; }
python3 "$FIXTURES/../lua/texture_frame/pngdiff.py" out.png "$GOLDEN/font/text.png" 0
