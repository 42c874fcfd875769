-- Draws outside a scene are dropped, as Direct3D 9 refuses them. Each such
-- draw here lands where the next clear of draw.beginscene() does not reach
-- (its last column and row), so a draw that went through would show in the
-- screenshot; the only picture is the sprite drawn through a texture scene.
gui.create(64, 48)
local t = texture.create(4, 4)
t:fill(0xFFFF8000)
t:draw(60, 44, 255)            -- before any scene
local rt = texture.create(64, 48)
rt:beginscene()
t:draw(0, 0, 255)              -- inside the texture's scene: drawn there
rt:endscene()
t:draw(61, 0, 255)             -- after the texture's scene
for frame = 1, 2 do
  draw.beginscene()
  rt:drawrect(10, 10, 4, 4, 0, 0, 255)
  assert(draw.endscene())
  t:draw(0, 45, 255)           -- after the frame, before the next one
end
