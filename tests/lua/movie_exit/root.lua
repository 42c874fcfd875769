-- A movie texture with sound still playing when the game ends: the exit
-- clean-up stops the decoder; its sound reached the mixer's capture.
gui.create(64, 48)
local t = texture.load(":movie(sound.mp4)")
local t0 = gui.gettimer()
while gui.gettimer() - t0 < 800 do
  movie.render()
  draw.beginscene()
  t:draw(0, 0, 255)
  draw.endscene()
  gui.doevents()
  gui.sleep(10)
end
assert(movie.isplaying(), "still playing at exit")
print("movie exit ok")
