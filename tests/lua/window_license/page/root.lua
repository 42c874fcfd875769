-- Alt+L without a hook writes the licence page into $XDG_RUNTIME_DIR, or into
-- a private qor-XXXXXX folder of the temp folder.
local function page()
  local xdg = os.getenv("XDG_RUNTIME_DIR")
  if xdg then return xdg .. "/qorlicense.html" end
  local p = io.popen('ls -d "$TMPDIR"/qor-*/qorlicense.html 2>/dev/null')
  local name = p:read("*l")
  p:close()
  return name
end
gui.create(320, 240)
local frame = 0
while true do
  gui.doevents()
  if frame == 0 then assert(not page() or io.open(page()) == nil, "the page exists before Alt+L") end
  if frame == 1 then
    local f = assert(page() and io.open(page()), "Alt+L did not write the page")
    local text = f:read("*a")
    f:close()
    assert(text:find("<html", 1, true) and text:find("Lua", 1, true), "the page lacks the notices")
    print("page written")
  end
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
