-- The encoding module's conversions and byte readers.
local E = encoding

-- Little-endian readers.
assert(E.b_to_dword("\255\255\255\255") == 4294967295)
assert(E.b_to_dword("\1\2\3\4\5") == 0x04030201)
assert(E.b_to_word("\52\18") == 4660)
assert(E.b_to_float("\0\0\128\63") == 1)
assert(E.b_to_float("\0\0\192\191") == -1.5)
local nan = E.b_to_float("\0\0\192\127") assert(nan ~= nan)
-- Missing bytes read as 0.
assert(E.b_to_dword("\1") == 1 and E.b_to_word("") == 0 and E.b_to_float("") == 0)
-- Numbers are taken as their text ("12" is 0x31 0x32).
assert(E.b_to_word(12) == 0x3231)
assert(not pcall(E.b_to_word))
assert(not pcall(E.b_to_dword, {}))

-- UTF-16 code units.
local t = E.utf8_to_utf16("\240\159\152\128")
assert(#t == 2 and t[1] == 0xD83D and t[2] == 0xDE00)
t = E.utf8_to_utf16("aあ\0b")
assert(#t == 2 and t[1] == 0x61 and t[2] == 0x3042)

-- ANSI conversions: CP932 bytes, and nothing at all for no argument.
assert(E.utf8_to_ansi("あ") == "\130\160")
assert(E.ansi_to_utf8("\130\160") == "あ")
assert(E.ansi_to_utf8(E.utf8_to_ansi("漢字テスト abc")) == "漢字テスト abc")
assert(E.utf8_to_ansi("☃") == "?")
assert(select("#", E.utf8_to_ansi()) == 0 and select("#", E.ansi_to_utf8()) == 0)
assert(E.utf8_to_ansi(5) == "5")
assert(not pcall(E.ansi_to_utf8, true))

-- Full-width forms (the mapping itself is encoding_zenkaku_test's).
assert(E.zenkaku("Abc 123") == "Ａｂｃ　１２３")
console.print("ok")
