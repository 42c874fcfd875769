-- Dropped files: full paths in drop order; a second drop replaces an unfetched one.
gui.create(320, 240)
local frame = 0
while true do
  gui.doevents()
  if frame == 0 then
    assert(gui.getdropfilelist() == nil)
  elseif frame == 1 then
    -- the first drop is not fetched
  elseif frame == 2 then
    local t = gui.getdropfilelist()
    assert(type(t) == "table" and #t == 2, "the second drop's two files")
    assert(t[1] == "/data/c.png", t[1])
    assert(t[2]:match("^%a?:?/.+/with space%.txt$"), t[2])
    assert(gui.getdropfilelist() == nil, "the list is handed out once")
  elseif frame == 3 then
    local t = gui.getdropfilelist()
    assert(#t == 1 and t[1] == "/data/d.png")
  else
    error("--frames did not end the run")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
