-- Runs from 00.qar: the archive module reading members and loose files.

-- Nothing selected yet: the read fails with the engine's message (CP932).
local notOpen = "\131\116\131\64\131\67\131\139\130\170\138\74\130\169\130\234\130\196\130\162\130\220\130\185\130\241\129\66"
local ok, err = pcall(archive.read)
assert(not ok and err:sub(-#notOpen) == notOpen, "read without a selection")

-- archive.dofile runs a member and returns all of its results.
local a, b, c = archive.dofile("lib.lua")
assert(a == 1 and b == "two" and c == nil, "dofile results")
assert(select("#", archive.dofile("LIB.LUA")) == 3, "dofile ignores case and keeps every result")
assert(libloaded == 2, "the member ran twice")
-- A member is source text up to its first zero byte.
assert(archive.dofile("zero.lua") == 7, "zero byte ends a script member")

-- seek finds a member stored as Data\Title.png under another spelling.
assert(archive.seek("data/title.PNG") == true)
assert(archive.read() == "title member")
assert(archive.read("\n") == "title member\n", "suffix appended")

-- A failed seek keeps the selection.
assert(archive.seek("no/such/file.txt") == false)
assert(archive.read() == "title member")

-- Text members keep their bytes, line ends included.
assert(archive.seek("text.txt"))
assert(archive.read() == "line one\r\nline two\n")

-- A member with a zero byte is read up to it; the suffix goes there.
assert(archive.seek("zero.bin"))
assert(archive.read() == "abc")
assert(archive.read("!") == "abc!", "the suffix follows the data up to the zero byte")

-- A loose file beats the member of the same name, and stays a loose file
-- for every read until the next seek.
assert(archive.seek("loose.txt"))
assert(archive.read() == "loose file\n")
assert(archive.read("x") == "loose file\nx", "second read of a loose file")
-- Loose names resolve case-insensitively too.
assert(archive.seek("LOOSE.TXT"))
assert(archive.read() == "loose file\n")

-- A loose file that disappears after the seek cannot be read.
local f = assert(io.open("gone.txt", "wb")) f:write("soon gone") f:close()
assert(archive.seek("gone.txt"))
assert(archive.read() == "soon gone")
os.remove("gone.txt")
ok, err = pcall(archive.read)
assert(not ok and err:sub(-#notOpen) == notOpen, "read of a vanished file")

-- encoding.encryption / decryption: XOR 0xA7.
assert(encoding.encryption("ab") == "\198\197")
assert(encoding.encryption("a\0b") == "\198", "encryption stops at a zero byte")
assert(encoding.encryption("\167") == "\0", "zero bytes in the result survive")
assert(encoding.decryption("\198\167\197") == "a", "decryption stops where the result has a zero byte")
local s = "Hello, archive! \227\129\130"
assert(encoding.decryption(encoding.encryption(s)) == s)
print("archive module ok")
