-- The sound class from a script: play-table checks and messages, isplaying,
-- stop/pause/resume/fadeout and delete.
local function wait(seconds) os.execute("sleep " .. seconds) end
local function waitquiet(s, limit)
  for _ = 1, limit * 10 do
    if not s:isplaying() then return true end
    wait(0.1)
  end
  return false
end
local function fails(f)
  local ok, err = pcall(f)
  assert(not ok, "expected an error")
  print("ERR " .. err)
end

local s = sound.create(1, 2, 3)
assert(type(s) == "userdata")
assert(s:isplaying() == false)

fails(function() s:play() end)
fails(function() s:play("tone.wav") end)
fails(function() s:play({}) end)
fails(function() s:play({name = {}, volume = "x"}) end)  -- name is checked first
fails(function() s:play({name = "tone.wav", looppoint = "soon"}) end)
fails(function() s:play({name = "tone.wav", volume = true}) end)
fails(function() s:play({name = "tone.wav", speed = "fast"}) end)
fails(function() s:play({name = "tone.wav", pan = {}}) end)
fails(function() s:play({name = "tone.wav", fadein = false}) end)
fails(function() s:play({name = "absent.ogg"}) end)
fails(function() s:play({name = string.rep("a", 300)}) end)
assert(s:isplaying() == false)

-- Keys come through __index too; numeric strings count as numbers.
s:play(setmetatable({}, {__index = {name = "tone.wav", volume = "-300", speed = 3}}))
assert(s:isplaying())
assert(waitquiet(s, 6), "a one-second sound must end by itself")

-- Looping, pause and resume, then stop.
s:play({name = "music.ogg", loop = true, pan = -5000, fadein = 0.5})
wait(0.3)
s:pause()
wait(0.3)
assert(s:isplaying(), "a paused sound still counts as playing")
s:resume()
s:volume(-1000)
s:pan(2000)
wait(1.4)  -- past the end of the 1.5 s file
assert(s:isplaying(), "a looping sound keeps playing")
s:stop()
assert(s:isplaying() == false)

-- A fade-out ends playback; volume is ignored meanwhile.
s:play({name = "music.ogg", looppoint = 0.25})
s:fadeout(300.7)
s:volume(0)
assert(waitquiet(s, 2), "the fade-out ends playback")

-- Two objects at once; garbage collection stops a dropped one.
local a, b = sound.create(), sound.create()
a:play({name = "music.ogg", loop = true})
b:play({name = "tone.wav", loop = true})
assert(a:isplaying() and b:isplaying())
a = nil
collectgarbage("collect")
assert(b:isplaying())

-- After delete every method is a no-op.
b:delete()
assert(b:isplaying() == false)
b:play({name = "tone.wav"})
b:volume(0); b:pan(0); b:pause(); b:resume(); b:fadeout(10); b:stop(); b:delete()
assert(b:isplaying() == false)

-- Left playing on purpose: the exit clean-up must stop it.
s:play({name = "music.ogg", loop = true})
print("done")
