-- A refused close (--answer no) keeps the game running.
local frame = 0
callback = {finalize = function() print("finalize frame=" .. frame) end}
gui.create(320, 240)
while true do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
