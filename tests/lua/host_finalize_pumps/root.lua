-- callback.finalize that pumps messages after --frames ran out (and, from
-- check.sh, after a confirmed close, and with os.exit): the clean-up still
-- finishes every step: the rest of finalize, every __gc, the screenshot.
local keep = newproxy(true)
getmetatable(keep).__gc = function() print("gc ran") end
callback = {finalize = function()
  gui.doevents()
  gui.doevents()
  print("after doevents")
  if os.getenv("QOR_TEST_EXIT") then os.exit(7) end
end}
gui.create(64, 48)
while true do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
end
