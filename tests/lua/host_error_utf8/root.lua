-- A script error with a UTF-8 message is fatal; finalize runs after it.
callback.finalize = function() console.print("finalized") end
local function fail() error("画像が読めません: title.png") end
fail()
