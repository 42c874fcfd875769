-- Runs with and without --headless (check.sh); with no display both answer
-- boxes from --answer and make an offscreen window.
gui.create(160, 120)
assert(gui.yesnobox("keep going?", "q") == true)
local frame = 0
while true do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
