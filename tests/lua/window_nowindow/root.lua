-- Input before gui.create: no window, so keys other than the locks read
-- false and there is no mouse position, but latches and boxes work. Keys are
-- read live: frame 0's events are seen before any gui.doevents, while the
-- clicks wait for the pump.
assert(select("#", gui.getmouse()) == 0, "getmouse gave a position without a window")
assert(gui.getkey("capslock") == true, "lock keys report their toggle without a window or a pump")
assert(gui.getkey("a") == false, "a key reads down without a window")
local lu, ru, wheel, ld, rd = gui.getclick()
assert(not ld and wheel == 0, "a click was latched before gui.doevents")
gui.doevents()
lu, ru, wheel, ld, rd = gui.getclick()
assert(lu == false and ru == false and wheel == -1 and ld == true and rd == false)
local files = gui.getdropfilelist()
assert(type(files) == "table" and #files == 1 and files[1]:match("^%a?:?/.*/early%.txt$"), tostring(files and files[1]))
assert(gui.getdropfilelist() == nil)
gui.okbox("hello box", "note")
assert(gui.yesnobox("go on?", "question") == false, "--answer no was not used")
gui.caption("no window yet")  -- nothing to title: no error
local ok, err = pcall(gui.getkey)
assert(not ok and err:match("string expected"), err)
print("nowindow ok")
