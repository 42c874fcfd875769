-- Stretched full screen on a 160 x 90 desktop: the 64 x 48 picture becomes
-- 120 x 90 between two bars; the screenshot is the whole desktop-sized frame.
gui.create(64, 48)
gui.setscreenmode(2)
assert(gui.getscreenmode() == 2)
local t = texture.create(4, 4)
t:fill(0xFFFF8000)
for frame = 1, 3 do
  draw.beginscene()
  t:draw(0, 0, 255)
  t:draw(60, 44, 128)
  assert(draw.endscene())
  gui.doevents()
end
