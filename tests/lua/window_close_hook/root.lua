-- With callback.onclose the close button only calls the hook.
local closes = 0
callback = {
  onclose = function() closes = closes + 1 return false end,
  finalize = function() print("finalize closes=" .. closes) end,
}
gui.create(320, 240)
while true do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
end
