-- Fonts the game carries load from the archive; a damaged one gives an error
-- naming it; a face the system lacks is replaced with one line on stderr.
local b = bitmap.create(32, 32)
local f = font.create({ width = 32, height = 32, name = "fonts/noto_subset.otf" })
f:put(b, 0x6F22, 0, 0, 0xFFFFFFFF)  -- 漢 is in the subset
b:save("glyph.png")
bitmap.create(32, 32):save("blank.png")

local ok, err = pcall(font.create, { name = "FONTS/truncated.otf" })
assert(not ok and err:find("FONTS/truncated.otf", 1, true), tostring(err))

font.create({ name = "QorNoSuchFace" })
font.create({ name = "QorNoSuchFace" })
