-- Click latches, their order and clearing; the wheel's last direction; the
-- mouse position in game pixels.
gui.create(320, 240)
local function click() return {gui.getclick()} end
local function same(t, want, what)
  for i = 1, 5 do
    assert(t[i] == want[i], what .. ": result " .. i .. " is " .. tostring(t[i]) .. ", want " .. tostring(want[i]))
  end
end
local none = {false, false, 0, false, false}
local frame = 0
while true do
  gui.doevents()
  if frame == 0 then
    same(click(), none, "no input yet")
    assert(select("#", gui.getmouse()) == 0, "a position before the cursor was seen")
  elseif frame == 1 then
    -- two full left clicks since the last read report once, then all is clear
    same(click(), {true, false, 0, true, false}, "two left clicks")
    same(click(), none, "after reading")
  elseif frame == 2 then
    same(click(), {false, false, 1, false, false}, "wheel up then down")
  elseif frame == 3 then
    same(click(), {false, false, 0, false, true}, "right button down")
  elseif frame == 4 then
    same(click(), {false, true, -1, false, false}, "right button up and wheel up")
  elseif frame == 5 then
    gui.clearbuffer()
    same(click(), none, "after clearbuffer")
  elseif frame == 6 then
    local x, y = gui.getmouse()
    assert(x == 10 and y == 20, "getmouse " .. tostring(x) .. "," .. tostring(y))
  elseif frame == 7 then
    assert(gui.getmouse() == nil, "a cursor right of the picture has no position")
    gui.setmouse(319, 239)
    local x, y = gui.getmouse()
    assert(x == 319 and y == 239, "after setmouse " .. tostring(x) .. "," .. tostring(y))
  elseif frame == 8 then
    assert(gui.getmouse() == nil, "a cursor above the picture has no position")
  else
    error("--frames did not end the run")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
