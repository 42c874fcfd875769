-- The close button: without a hook it asks the question (--answer), "no"
-- keeps the game running and "yes" (check.sh) ends the run through the
-- clean-up, which runs callback.finalize; with callback.onclose (check.sh)
-- it only calls the hook.
local frame, closes = 0, 0
callback = {finalize = function() print("finalize frame=" .. frame .. " closes=" .. closes) end}
if os.getenv("QOR_TEST_HOOK") then
  callback.onclose = function() closes = closes + 1 return false end
end
gui.create(320, 240)
while true do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
  frame = frame + 1
end
