-- Loading real PNG/JPEG files (loose and archived), saving PNG and alpha files.
local function size(b) local w, h = b:getsize() return w .. "x" .. h end
local function expect_error(tag, f, ...)
  local ok, err = pcall(f, ...)
  assert(not ok, tag .. " should fail")
  print(tag .. ": " .. tostring(err))
end

-- The same picture from a loose file and from the archive, for every kind.
for _, name in ipairs({"rgba.png", "rgb.png", "block.jpg", "grey.png", "palette.png", "rgb16.png", "interlaced.png"}) do
  local loose = bitmap.load("loose/" .. name)
  local packed = bitmap.load("pics/" .. name)
  assert(size(loose) == size(packed), name)
  loose:save("loose_" .. name .. ".png")
  packed:save("packed_" .. name .. ".png")
end
assert(size(bitmap.load("pics/block.jpg")) == "16x16")
assert(size(bitmap.load("PICS\\RGBA.PNG")) == "4x1") -- archive names ignore case and separator
assert(size(bitmap.load("pics/override.png")) == "32x32")
assert(size(bitmap.load("loose/grey.png")) == "4x4" and size(bitmap.load("pics/palette.png")) == "4x4")
assert(size(bitmap.load("pics/rgb16.png")) == "4x4" and size(bitmap.load("loose/interlaced.png")) == "8x8")

-- Files that load as an empty bitmap, without a message.
for _, name in ipairs({"loose/truncated.png", "pics/truncated.png", "loose/bitflip.png", "pics/bitflip.png",
                       "loose/rgb.txt", ".png"}) do
  local b = bitmap.load(name)
  assert(size(b) == "0x0", name)
  expect_error("empty-save " .. name, function() b:save("never.png") end)
end

-- Saving without alpha (the PNG round trip itself is bitmap_codec_test's).
local g = bitmap.create(5, 3)
g:gradation(0x00102030, 0xFFF0E0D0, true, true)
g:save("noalpha.png", true)
assert(size(bitmap.load("noalpha.png")) == "5x3")

local a = bitmap.create(3, 1)
a:fill(0x07000000)
a:savealpha("a.arl")
a:fill(0x01000000)
a:fillrect(0x02000000, 1, 0, 1, 0)
a:fillrect(0x03000000, 2, 0, 2, 0)
a:savealpha("b.ARL")
g:savealpha("alpha.png")
assert(size(bitmap.load("alpha.png")) == "5x3") -- a grey PNG of our own loads back
print("files ok")
