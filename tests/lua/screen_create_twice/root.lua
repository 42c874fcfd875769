-- A second gui.create is refused with a clear script error; the first window stays.
gui.create(64, 48)
local ok, err = pcall(gui.create, 64, 48)
assert(not ok, "second gui.create must fail")
assert(encoding.ansi_to_utf8(err):find("gui.createは一度しか呼べません。", 1, true), err)
assert(gui.isenable())
