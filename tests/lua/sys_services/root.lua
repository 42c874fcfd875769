-- gui system services: paths, files, dialogs answered by the input script, bitset.
local dir = gui.getexedir()
assert(dir:sub(-1) == "/" and dir:match("^%a?:?/"), dir)  -- "/..." or, on Windows, "Z:/..."
assert(gui.getexename() == "sys_services", gui.getexename())
assert(gui.gettempdir():sub(-1) == "/")
assert(gui.getcommandline():find("--headless", 1, true), gui.getcommandline())
assert(type(gui.gethinstance()) == "userdata")
assert(not pcall(gui.gethwnd))

-- splitpath
local function split(p) return table.concat({gui.splitpath(p)}, "|") end
assert(split("data\\bg\\title.png") == "DATA/BG|TITLE.PNG")
assert(split("/a.txt") == "|/A.TXT")
assert(split("c:\\dir\\") == "C:/DIR|")
assert(split("") == "|")

-- files
local t = gui.getfilelist("tree")
assert(table.concat(t, ",") == "A.txt,alpha\\v,b.txt,c.TXT,Sub\\deeper\\w,Sub\\Z.dat", table.concat(t, ","))
assert(#gui.getfilelist("no-such-folder") == 0)
local y, mo, d, h, mi, s = gui.getfiletime("stamped.txt")
assert(y == 2021 and mo == 3 and d == 4 and h == 5 and mi == 6 and s == 7, table.concat({y, mo, d, h, mi, s}, " "))
assert(select("#", gui.getfiletime("nothing")) == 6 and gui.getfiletime("nothing") == 0)
assert(gui.getfilesize("sized.bin") == 5 and gui.getfilesize("nothing") == 0)
gui.mkdir("shots")
gui.mkdir("shots")  -- an existing folder is ignored
assert(gui.getfilesize("SHOTS") == 0)

-- dialogs, in the order of input.txt
assert(gui.savedialog("png") == dir .. "shots/out.png")
assert(gui.loaddialog() == nil, "cancel")
assert(gui.input("名前を入力してください") == "テスト入力")
assert(select("#", gui.savedialog()) == 0, "a folder that does not exist is refused")
assert(gui.loaddialog("bin") == dir .. "sized.bin")
assert(gui.dirdialog() == nil, "no answer left: cancelled")

-- bitset
local b = bitset.create(10)
b:set(0)
b:save("flags0.bin")
b:reset(0)
b:set(9)
b:save("flags.bin")
assert(gui.getfilesize("flags.bin") == 2)
local ok, err = pcall(b.get, b, 10)
assert(not ok and err:find(encoding.utf8_to_ansi("0～9"), 1, true), err)
-- Out of range however large (beyond 64 bits, NaN); fractions truncate.
for _, p in ipairs({ -1, 2^31, 2^64, 0/0 }) do assert(not pcall(b.get, b, p), p) end
assert(b:get(9.9) and not b:get(-0.5))
local l = bitset.load("flags.bin")
assert(l:get(9) and not l:get(0))
l:save("flags2.bin")
assert(gui.getfilesize("flags2.bin") == 3, "a load and save writes n + 1 bytes")
l:delete()
assert(not pcall(l.get, l, 0), "use after delete is an error")
assert(not pcall(bitset.create, -1))
local f = io.open("empty.bin", "wb") f:close()
assert(bitset.load("empty.bin") == nil and bitset.load("nothing.bin") == nil)
ok, err = pcall(b.save, b, "no-dir/flags.bin")
assert(not ok and err:find("no-dir/flags.bin", 1, true), err)

-- sharedmemory within one process
-- (named after the build folder: two builds may run the suite at once)
local name = "Local\\qor-one-" .. gui.getexedir()
local m = sharedmemory.create(name, 8)
assert(m:read() == "")
assert(m:write("a\0bc") and m:read() == "a")
assert(m:write("1234567") and m:read() == "1234567")
assert(m:write("12345678") == false, "a string too long for its block")
local o = sharedmemory.open(name)
assert(o:read() == "1234567")
m, o = nil, nil
collectgarbage()
assert(sharedmemory.open(name) == nil, "the last user's collection removes the name")
assert(sharedmemory.open("Local\\qor-none") == nil)
lock.singleton()
lock.singleton()  -- the same process again: still the only copy

-- desktop services run without a window or audio device (headless: no opener is started)
gui.setclipboard("クリップ")
gui.shell("shots/out.png")
gui.beep()
