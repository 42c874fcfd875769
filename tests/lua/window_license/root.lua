-- Alt+L calls callback.license; Alt+Shift+L does nothing. (check.sh runs the
-- game in page/ for Alt+L without a hook.)
local calls = 0
callback = {license = function() calls = calls + 1 end}
gui.create(320, 240)
local frame = 0
while true do
  gui.doevents()
  if frame == 1 then assert(calls == 1, "Alt+L did not call the hook") end
  if frame == 2 then assert(calls == 1, "Alt+Shift+L called the hook") end
  if frame == 3 then assert(calls == 1, "Alt+L with caps lock on called the hook") end
  if frame == 4 then assert(calls == 2, "Alt+L after the locks were undone") end
  assert(frame < 5, "--frames did not end the run")
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
