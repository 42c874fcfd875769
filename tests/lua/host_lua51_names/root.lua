-- Chunk names and the 5.1 compatibility functions read the same under Lua 5.1 and LuaJIT.
local function msg(chunk, name)
  local ok, err = pcall(assert(loadstring(chunk, name)))
  assert(not ok)
  return err
end
assert(msg("error('a')") == [[[string "error('a')"]:1: a]])
-- The first line, cut to 43 bytes, with "..." when anything was left off.
local long = "local a = 1 -- a comment that runs well beyond the cut"
assert(msg(long .. "\nerror('b')") == [[[string "local a = 1 -- a comment that runs well bey..."]:2: b]])
assert(msg("local a = 1\nerror('c')") == [[[string "local a = 1..."]:2: c]])
assert(msg("error('d')", "=named") == "named:1: d")
assert(msg("error('e')", "given") == [[[string "given"]:1: e]])
local f, err = loadstring("x x")
assert(f == nil and err == [[[string "x x"]:1: '=' expected near 'x']])
assert(math.mod(7, 3) == 1 and string.gfind("a b", "%a")() == "a")
