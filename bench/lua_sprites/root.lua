-- Benchmark scene: moving blended 32 x 32 sprites drawn from Lua, as a game
-- draws them. Run: build/qor --headless --renderer soft|gl bench/lua_sprites
-- Prints `lua_sprites n=N frame_ms=T` (mean of 40 frames after 10 warm-up frames).
gui.create(1280, 720)
local tex = texture.create(32, 32)
tex:fill(0xC0FF8040)
local counts = { 2000, 5000, 10000, 20000 }
for _, n in ipairs(counts) do
  local xs, ys, vx, vy = {}, {}, {}, {}
  for i = 1, n do
    xs[i], ys[i] = (i * 37) % 1248, (i * 53) % 688
    vx[i], vy[i] = (i % 7) - 3, (i % 5) - 2
  end
  local t0
  for frame = 1, 50 do
    if frame == 11 then t0 = gui.gettimer() end
    gui.doevents()
    draw.beginscene()
    for i = 1, n do
      local x, y = xs[i] + vx[i], ys[i] + vy[i]
      if x < 0 or x > 1248 then vx[i] = -vx[i] end
      if y < 0 or y > 688 then vy[i] = -vy[i] end
      xs[i], ys[i] = x, y
      tex:draw(x, y, 200)
    end
    draw.endscene()
  end
  console.print(string.format("lua_sprites n=%d frame_ms=%.2f", n, (gui.gettimer() - t0) / 40))
end
