-- Without a hook the close is confirmed (--answer yes): the run ends with 0
-- through the clean-up, which runs callback.finalize.
callback = {finalize = function() print("finalized") end}
gui.create(320, 240)
local frame = 0
while true do
  gui.doevents()
  assert(frame < 3, "the confirmed close did not end the run")
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
