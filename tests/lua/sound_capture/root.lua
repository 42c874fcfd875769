-- Plays a two-second WAV from the archive to its end with --audio-capture
-- recording the mixer's output.
local s = sound.create()
s:play({name = "Sound\\tone.wav"})
for _ = 1, 80 do
  if not s:isplaying() then break end
  os.execute("sleep 0.1")
end
assert(not s:isplaying(), "the sound ends by itself")
