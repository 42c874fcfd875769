-- Returning from root.lua ends the run with status 0; callback.finalize still runs.
callback.finalize = function() console.print("finalized") end
console.print("body")
return 1, 2
