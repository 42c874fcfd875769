-- Holds the game's single-instance lock and a shared block until "release"
-- exists; ../mode makes a later copy take another of the lock's outcomes.
local f = io.open("../mode")
local mode = f and f:read("*l") or "first"
if mode == "fatal" then
  lock.singleton()
  error("a second copy without a function must not go on")
elseif mode == "notfunc" then
  local ok, err = pcall(lock.singleton, 1)
  print(ok, encoding.ansi_to_utf8(err))
  os.exit(0)
end
lock.singleton(function() print("second copy") end)
if mode == "second" then os.exit(0) end
local m = sharedmemory.create("Local\\" .. io.open("../pairname"):read("*l"), 64)
assert(m:write("hello from A"))
print("ready") io.stdout:flush()
while not io.open("../release") do gui.sleep(10) end
print(m:read())
