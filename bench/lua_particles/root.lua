-- Benchmark scene, script-heavy: 1,000 particles with physics in Lua (gravity,
-- drag, wall bounces and short-range repulsion between neighbours found
-- through a grid), each drawn as an 8 x 8 sprite. Run:
--   build/qor --headless --renderer soft|gl bench/lua_particles
-- Prints `lua_particles n=N draw=0|1 frame_ms=T cpu_ms=C mean_ms=M`: draw=0
-- is the physics alone, draw=1 the whole frame. After 10 warm-up frames, 4
-- groups of 10 frames; frame_ms is the wall time per frame of the fastest
-- group, cpu_ms the process's CPU time per frame in that group, mean_ms the
-- wall time per frame over all 40.
local W, H, CELL, R = 1280, 720, 16, 12
gui.create(W, H)
local tex = texture.create(8, 8)
tex:fill(0xA0FFC040)
local n = 1000
local px, py, vx, vy = {}, {}, {}, {}
for i = 1, n do
  px[i], py[i] = (i * 97) % W, (i * 61) % (H / 2)
  vx[i], vy[i] = ((i * 13) % 11 - 5) * 0.5, ((i * 7) % 9 - 4) * 0.5
end
local cols = math.floor(W / CELL) + 1
local cells, used = {}, {}  -- cell lists kept between frames; `used` lists the filled ones

local function step()
  for k = 1, #used do cells[used[k]].n = 0; used[k] = nil end
  for i = 1, n do
    local key = math.floor(py[i] / CELL) * cols + math.floor(px[i] / CELL)
    local c = cells[key]
    if not c then c = { n = 0 }; cells[key] = c end
    if c.n == 0 then used[#used + 1] = key end
    c.n = c.n + 1
    c[c.n] = i
  end
  local r2 = R * R
  for i = 1, n do
    local x, y = px[i], py[i]
    local cx, cy = math.floor(x / CELL), math.floor(y / CELL)
    local fx, fy = 0, 0.15  -- gravity
    for dy = -1, 1 do
      for dx = -1, 1 do
        local c = cells[(cy + dy) * cols + cx + dx]
        if c then
          for k = 1, c.n do
            local j = c[k]
            if j ~= i then
              local ex, ey = x - px[j], y - py[j]
              local d2 = ex * ex + ey * ey
              if d2 < r2 and d2 > 0.0001 then
                local f = (r2 - d2) / (r2 * math.sqrt(d2)) * 0.5
                fx, fy = fx + ex * f, fy + ey * f
              end
            end
          end
        end
      end
    end
    local nvx, nvy = (vx[i] + fx) * 0.995, (vy[i] + fy) * 0.995
    x, y = x + nvx, y + nvy
    if x < 0 then x, nvx = -x, -nvx elseif x > W - 8 then x, nvx = 2 * (W - 8) - x, -nvx end
    if y < 0 then y, nvy = -y, -nvy elseif y > H - 8 then y, nvy = 2 * (H - 8) - y, -nvy * 0.9 end
    px[i], py[i], vx[i], vy[i] = x, y, nvx, nvy
  end
end

local function run(drawing)
  local function frame()
    gui.doevents()
    step()
    if drawing then
      draw.beginscene()
      for i = 1, n do tex:draw(px[i], py[i], 255) end
      draw.endscene()
    end
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
  console.print(string.format("lua_particles n=%d draw=%d frame_ms=%.2f cpu_ms=%.2f mean_ms=%.2f", n,
                              drawing and 1 or 0, best, bestCpu, total / 4))
end
run(false)
run(true)
