-- One frame of textured drawing: files from disk and archive, every drawing
-- path, render to texture and pixel methods; the screenshot is compared with
-- a golden frame.
gui.create(160, 120)

local photo = texture.load("pics/rgb100x60.png")
local loose = texture.load("pics/rgba3x2.png")
local packed = texture.load("packed/rgba3x2.png")
local jpeg = texture.load("PACKED\\SOLID16X8.JPG")  -- archive names ignore case and separator
assert(select(1, photo:getsize()) == 100 and select(2, jpeg:getsize()) == 8)

-- A pattern made with the pixel methods.
local pat = texture.create(16, 16)
pat:fill(0xFF202060)
pat:fillrect(0xFFE0E040, 0, 0, 7, 7)
pat:fillrect(0xC040E040, 8, 8, 15, 15)

-- Render to texture: a scaled, turned copy of the pattern.
local rt = texture.create(160, 120)
rt:beginscene()
pat:drawrectlt(24, 24, 0, 0, 16, 16, 2, 2, 0.4, 255)
rt:endscene()

local frame = 0
while true do
  gui.doevents()
  draw.beginscene(0, 0, 0, 0)
  photo:drawrect(0, 0, 60, 40, -10, -5, 255)           -- moved right/down, cropped
  loose:drawrectlt(80, 10, 0, 0, 3, 2, 4, 4, 0, 255)    -- scaled up
  packed:drawrectlt(100, 10, 0, 0, 3, 2, 1, 1, 0, 255)  -- untransformed path
  jpeg:draw(120, 4, 255)
  pat:draw(4, 60, 255)
  pat:draw(24, 60, 128)
  pat:drawrectlt(60, 68, 0, 0, 16, 16, 1, 1.5, -0.7, 200)
  pat:drawtriangle({{80, 50, 0, 0, 0xFFFFFFFF}, {150, 60, 16, 0, 0xFF4080FF}, {100, 110, 8, 16, 0x80FFFFFF}})
  rt:drawrect(4, 84, 48, 48, 0, 0, 255)
  draw.endscene()
  frame = frame + 1
end
