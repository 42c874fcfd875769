-- Alt+L without a hook writes the licence page into the temp folder.
local page = os.getenv("TMPDIR") .. "/qorlicense.html"
gui.create(320, 240)
local frame = 0
while true do
  gui.doevents()
  if frame == 0 then assert(io.open(page) == nil, "the page exists before Alt+L") end
  if frame == 1 then
    local f = assert(io.open(page), "Alt+L did not write " .. page)
    local text = f:read("*a")
    f:close()
    assert(text:find("<html", 1, true) and text:find("Lua", 1, true), "the page lacks the notices")
    print("page written")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
