# The screenshot is the third frame (index 2: red 16, green 239) scaled to the
# whole 128 x 96 window, so a pixel far outside the movie's 64 x 48 shows it too.
python3 -B - "$FIXTURES/../lua/texture_frame" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngdiff import decode
w, h, rows = decode("shot.png")
r, g, _ = rows[80][100]
assert (w, h) == (128, 96) and 10 <= r <= 22 and g >= 230, (w, h, r, g)
PY
