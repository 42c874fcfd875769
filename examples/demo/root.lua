-- QOR demo game. The game itself lives in 00.qar (packed from packed/ at build
-- time); this loose file only greets and hands over to it.
console.print("QOR demo: root.lua is running")
archive.dofile("main.lua")
console.print("QOR demo: bye")
