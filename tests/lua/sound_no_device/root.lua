-- Without a usable audio device the game still runs (sound plays silently),
-- unless the player asked for a driver that cannot be opened.
gui.create(64, 48)
local s = sound.create()
s:play({ name = "tone.wav" })
for i = 1, 3 do
  gui.doevents()
  draw.beginscene()
  draw.endscene()
end
s:stop()
