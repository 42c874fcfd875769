# The glyph from the archive's font inked the bitmap; the substitution is
# reported once per face name.
set -e
if python3 "$FIXTURES/../lua/texture_frame/pngdiff.py" glyph.png blank.png 0 100 > /dev/null; then echo "the glyph drew (almost) nothing"; exit 1; fi
n=$(grep -c 'QorNoSuchFace' "$STDERR")
[ "$n" = 1 ] || { echo "substitution reported $n times"; exit 1; }
# With no face installed at all a font still works and draws nothing.
mkdir -p nofonts && cd nofonts
echo '<?xml version="1.0"?><fontconfig></fontconfig>' > fonts.conf
echo 'local b = bitmap.create(16, 16) font.create({}):put(b, 0x6F22, 0, 0)' > root.lua
FONTCONFIG_FILE="$PWD/fonts.conf" "$QOR" --headless . 2> err.txt || { cat err.txt; exit 1; }
grep -q 'qor: no font installed for ""; text is not drawn' err.txt || { cat err.txt; exit 1; }
