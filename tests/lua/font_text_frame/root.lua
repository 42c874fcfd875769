-- The demo's text panel part-way through its typing line, drawn once by the
-- software renderer; the screenshot is compared with a golden frame.
gui.create(640, 200)
local panel = archive.dofile("text.lua")
for _ = 1, 60 do panel.update() end
while true do
  gui.doevents()
  draw.beginscene(0, 0, 0, 0)
  panel.draw(16, 16)
  draw.endscene()
end
