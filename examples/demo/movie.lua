-- The demo's movies (read from disk: movies never come from the archive): a
-- skippable intro over the whole window, and a spinning flame that carries
-- its own alpha, played into a texture inside the scene.
local M = {}

function M.intro()
  -- space, RETURN, ESC, CTRL or a click skips it
  movie.play("movie/intro.mp4", true, -600)
end

local flame
function M.draw()
  flame = flame or texture.load(":movieloopalpha(movie/flame.webm)")
  movie.render()
  flame:draw(560, 60, 255)
end

return M
