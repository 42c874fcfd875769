-- Members declared far longer than their archives (see prepare.sh): an archive
-- cut short inside a member reads the same way, so this covers both.
local v, s = archive.dofile("sub.lua")
assert(v == 42 and s == "sub")
assert(archive.seek("sub.lua"))
assert(archive.read("!") == 'return 6 * 7, "sub"\n!')

local b = bitmap.load("pic.jpg")
local w, h = b:getsize()
assert(w == 16 and h == 8, "bitmap " .. w .. "x" .. h)
gui.create(64, 48)
w, h = texture.load("pic.jpg"):getsize()
assert(w == 16 and h == 8, "texture " .. w .. "x" .. h)
print("damaged members ok")
