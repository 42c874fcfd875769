-- Holds the game's single-instance lock and a shared block until "release" exists.
lock.singleton(function() print("second copy") end)
if io.open("../second") then os.exit(0) end
local m = sharedmemory.create("Local\\" .. io.open("../pairname"):read("*l"), 64)
assert(m:write("hello from A"))
print("ready") io.stdout:flush()
while not io.open("../release") do gui.sleep(10) end
print(m:read())
