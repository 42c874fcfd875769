# calc.test reported its time in a box (on stderr when headless) and wrote
# the decoded alpha values as grey.
set -e
grep -q "milisec" "$STDERR"
python3 -B - "$FIXTURES/../lua/texture_frame" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngdiff import decode
w, h, rows = decode("out.png")
assert (w, h) == (500, 600) and rows[0][0] == (128, 128, 128), (w, h, rows[0][0])
PY
