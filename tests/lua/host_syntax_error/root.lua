-- A syntax error in the first script.
local x =
