-- gui.getkey and gui.getmouse answer the state now: a loop that only sleeps
-- sees a key pressed after the last gui.doevents, while the click queued
-- with it is latched only by the next gui.doevents.
gui.create(320, 240)
gui.doevents()
draw.beginscene()
draw.endscene()   -- frame 1: its events are due from here on
local n = 0
repeat gui.sleep(1) n = n + 1 until gui.getkey("RETURN") or n > 100
assert(n <= 100, "RETURN was never seen without gui.doevents")
local x, y = gui.getmouse()
assert(x == 10 and y == 20, "getmouse " .. tostring(x) .. "," .. tostring(y))
local _, _, _, leftDown = gui.getclick()
assert(not leftDown, "the click was latched before gui.doevents")
gui.doevents()
_, _, _, leftDown = gui.getclick()
assert(leftDown, "the click was lost")
assert(gui.getkey("return"), "the key is still held")
print("live ok")
