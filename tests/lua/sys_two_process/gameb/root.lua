-- Another game: its lock does not meet gamea's; it answers through the shared block.
lock.singleton(function() error("another game must not count as a second copy") end)
local m = assert(sharedmemory.open("Local\\" .. io.open("../pairname"):read("*l")))
assert(m:read() == "hello from A", m:read())
assert(m:write("reply from B"))
assert(not m:write(string.rep("x", 64)), "too long for the block")
