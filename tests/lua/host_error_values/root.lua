-- What the error wrapper makes of each kind of value and level.
local A = encoding.utf8_to_ansi

local function catch(f) local ok, e = pcall(f) assert(not ok) return e end

-- The message reaches the handler in CP932 with the calling line's prefix.
local e = catch(function() error("日本語") end)
assert(e == A("root.lua:7: 日本語"), e)

-- Level 2 points at the caller of the function that raised.
local function inner() error("deep", 2) end
e = catch(function()
  inner()
end)
assert(e == "root.lua:13: deep", e)

-- A number is raised as its text.
e = catch(function() error(12) end)
assert(e == "root.lua:18: 12", e)

-- A table cannot be converted: the argument error of utf8_to_ansi instead.
e = catch(function() error({}) end)
assert(e:find("bad argument #1 to 'utf8_to_ansi' (string expected, got table)", 1, true), e)
e = catch(function() error() end)
assert(e:find("bad argument #1 to 'utf8_to_ansi'", 1, true), e)

-- Level 0 keeps the wrapper chunk's prefix.
e = catch(function() error("zero", 0) end)
assert(e:find('^%[string "do local f=error') and e:find(":1: zero$"), e)

-- Errors raised by the engine's own functions are not touched by the wrapper.
e = catch(function() encoding.zenkaku() end)
assert(e:find("bad argument #1 to 'zenkaku'", 1, true), e)
console.print("ok")
