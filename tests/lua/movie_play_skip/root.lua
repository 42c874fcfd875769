-- movie.play's skip rules, driven by scripted input counted in presented
-- frames (the movie's own frames count too): a key held at the start skips
-- only after release and a new press; CTRL and button-ups skip; the left
-- button-up latch is cleared, the right one stays; unskippable movies run out.
gui.create(128, 96)
gui.doevents()  -- RETURN goes down before the movie
local function between()  -- one frame of the game's own between two movies
  draw.beginscene()
  draw.endscene()
  gui.doevents()
end
local function play(skippable)
  local t0 = gui.gettimer()
  local quit = movie.play("count.mp4", skippable, -1000)
  assert(quit == false, "the quit flag")
  return gui.gettimer() - t0
end
local ms = play(true)
assert(ms > 250 and ms < 1500, "RETURN held at the start: skipped after release and press, " .. ms)
between()
ms = play(true)
assert(ms < 1500, "CTRL skips, " .. ms)
between()
ms = play(true)
assert(ms < 1500, "a left click skips, " .. ms)
local lu, ru = gui.getclick()
assert(not lu and not ru, "the left button-up latch was cleared")
between()
ms = play(true)
assert(ms < 1500, "a right click skips, " .. ms)
lu, ru = gui.getclick()
assert(not lu and ru, "the right button-up latch stays")
between()
ms = play(false)
assert(ms > 1800, "an unskippable movie runs out, " .. ms)
print("movie skip ok")
