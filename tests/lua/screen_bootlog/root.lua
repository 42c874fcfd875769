-- Creation, a lost device, and switches through every screen mode, each
-- leaving its section in qordxbootlog.txt (compared by check.sh).
gui.create(640, 480)
draw.beginscene()
assert(draw.endscene() == false, "the first present fails (--fail-present-once)")
draw.beginscene()
assert(draw.endscene() == true)
gui.setscreenmode(1)
gui.setscreenmode(1) -- already full screen: no section
assert(gui.getscreenmode() == 1)
gui.setscreenmode(2)
assert(gui.getscreenmode() == 2)
gui.setscreenmode(0)
assert(gui.getscreenmode() == 0)
