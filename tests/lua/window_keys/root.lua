-- gui.getkey: name spellings, held keys, keys outside the table, lock toggles.
gui.create(320, 240)
local k = gui.getkey
local frame = 0
while true do
  gui.doevents()
  if frame == 0 then
    assert(not k("space") and not k("a") and not k("capslock") and not k("numlock"))
  elseif frame == 1 then
    assert(k("space") and k("Space") and k(" ") and k("SPACE"), "space spellings")
    assert(not k("a"), "a is not held")
  elseif frame == 2 then
    assert(not k("space"), "space was released")
    assert(k("a") and k("A"), "a held")
  elseif frame == 3 then
    assert(not k("a"), "a released")
    assert(k("TAB") == false and k("tab") == false, "TAB is not a key name")
    assert(k("nosuchkey") == false)
  elseif frame == 4 or frame == 5 then
    assert(k("capslock") and k("CapsLock"), "caps lock toggled on stays on")
    assert(not k("scrolllock"))
  elseif frame == 6 then
    assert(not k("capslock"), "second press turns caps lock off")
    assert(k("numlock") and k("scrolllock"))
  elseif frame == 7 then
    assert(k("ctrl") and k("return") and k("enter"), "right ctrl and keypad enter")
    assert(not k("shift"))
    assert(k("1") and k("f12") and k("esc") and k("pagedown") and k("left"))
  elseif frame == 8 then
    assert(k("shift") and not k("ctrl") and not k("return"))
  else
    error("--frames did not end the run")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
