-- Benchmark scene: moving blended 32 x 32 sprites drawn from Lua, as a game
-- draws them. Run: build/qor --headless --renderer soft|gl bench/lua_sprites
-- Prints `lua_sprites n=N frame_ms=T cpu_ms=C mean_ms=M`: after 10 warm-up
-- frames, 4 groups of 10 frames; frame_ms is the wall time per frame of the
-- fastest group (the least disturbed on a shared machine), cpu_ms the
-- process's CPU time per frame in that group (every drawing thread counted),
-- mean_ms the wall time per frame over all 40. The `offtarget` line runs the
-- same 20,000 sprites drawn just beside the target: every call is made and
-- queued but no pixel is blended, so it is the script's and the calls' share
-- of the frame, the part a faster Lua changes.
gui.create(1280, 720)
local tex = texture.create(32, 32)
tex:fill(0xC0FF8040)
local runs = { { n = 2000, dx = 0 }, { n = 20000, dx = 0 }, { n = 20000, dx = 1300, label = " offtarget" } }
for _, run in ipairs(runs) do
  local n, dx = run.n, run.dx
  local xs, ys, vx, vy = {}, {}, {}, {}
  for i = 1, n do
    xs[i], ys[i] = (i * 37) % 1248, (i * 53) % 688
    vx[i], vy[i] = (i % 7) - 3, (i % 5) - 2
  end
  local function frame()
    gui.doevents()
    draw.beginscene()
    for i = 1, n do
      local x, y = xs[i] + vx[i], ys[i] + vy[i]
      if x < 0 or x > 1248 then vx[i] = -vx[i] end
      if y < 0 or y > 688 then vy[i] = -vy[i] end
      xs[i], ys[i] = x, y
      tex:draw(x + dx, y, 200)
    end
    draw.endscene()
  end
  for _ = 1, 10 do frame() end
  local best, bestCpu, total = math.huge, 0, 0
  for _ = 1, 4 do
    local t0, c0 = gui.gettimer(), os.clock()
    for _ = 1, 10 do frame() end
    local ms, cpu = (gui.gettimer() - t0) / 10, (os.clock() - c0) * 100
    total = total + ms
    if ms < best then best, bestCpu = ms, cpu end
  end
  console.print(string.format("lua_sprites n=%d%s frame_ms=%.2f cpu_ms=%.2f mean_ms=%.2f",
    n, run.label or "", best, bestCpu, total / 4))
end
