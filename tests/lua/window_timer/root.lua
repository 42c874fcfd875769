-- gui.sleep and gui.gettimer; --frames counts presented frames.
gui.create(320, 240)
local t0 = gui.gettimer()
assert(type(t0) == "number" and t0 >= 0 and t0 <= 4294967295 and t0 == math.floor(t0))
gui.sleep(25)
local t1 = gui.gettimer()
assert(t1 - t0 >= 25, "gui.sleep(25) took " .. (t1 - t0) .. " ms")
gui.sleep(-1000)  -- negative waits are no wait
gui.sleep(2.9)
local t2 = gui.gettimer()
assert(t2 >= t1, "the timer went backwards")
assert(t2 - t1 < 1000, "negative sleep waited")
local ok, err = pcall(gui.sleep, "soon")
assert(not ok and err:match("number expected"), err)
local presented = 0
callback = {finalize = function() print("presented " .. presented) end}
while true do
  gui.doevents()
  local last = gui.gettimer()
  draw.beginscene()
  draw.endscene()
  presented = presented + 1
  assert(gui.gettimer() >= last)
end
