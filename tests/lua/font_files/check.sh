# The glyph from the archive's font inked the bitmap; the substitution is
# reported once per face name.
set -e
if python3 "$FIXTURES/../lua/texture_frame/pngdiff.py" glyph.png blank.png 0 100 > /dev/null; then echo "the glyph drew (almost) nothing"; exit 1; fi
n=$(grep -c 'QorNoSuchFace' "$STDERR")
[ "$n" = 1 ] || { echo "substitution reported $n times"; exit 1; }
