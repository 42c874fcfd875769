-- Forty sounds started, stopped, paused, faded, replayed and dropped in quick
-- succession; many are still playing when the script ends, so the exit
-- clean-up has to stop them all before the audio device closes.
local list = {}
for i = 1, 40 do
  local s = sound.create()
  s:play({name = (i % 2 == 0) and "m.ogg" or "t.wav", loop = true, speed = 2, fadein = 0.1})
  list[#list + 1] = s
  if i % 3 == 0 then s:stop() end
  if i % 5 == 0 then s:pause() end
  if i % 7 == 0 then s:fadeout(50) end
end
for i = 1, 20 do list[i]:play({name = "m.ogg"}) end
for i = 1, 40, 4 do list[i] = nil end
collectgarbage("collect")
os.execute("sleep 0.5")
local playing = 0
for _, s in pairs(list) do
  if s:isplaying() then playing = playing + 1 end
end
assert(playing > 20, "most sounds still play: " .. playing)
