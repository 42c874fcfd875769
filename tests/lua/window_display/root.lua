-- The window on a real X display when check.sh finds Xvfb (headless in the
-- plain run): Alt+L opens the page, setmouse/getmouse agree, keys read.
callback = {finalize = function() print("finalized") end}
gui.create(320, 240)
gui.caption("窓のタイトル")
local frame = 0
while true do
  gui.doevents()
  if frame == 2 then
    gui.setmouse(10, 20)
  elseif frame == 3 then
    local x, y = gui.getmouse()
    assert(x == 10 and y == 20, "getmouse after setmouse: " .. tostring(x) .. "," .. tostring(y))
  elseif frame == 4 then
    assert(gui.getkey("a"), "a is held")
    print("checked")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
