-- The shapes showcase: a screen of shapes and a waving Bezier-mesh flag,
-- reached from the game with a fade, left for a wire view with a slide and
-- back to the game with a rule-image wipe. Returns run(W, H, drawGame).
local flag = texture.load("img/flag.png")
local rule = bitmap.load("img/rule.png")  -- a swirl: its dark parts switch first

-- The flag's patch: a pole at the left, the fly edge waving with time.
local function drawFlag(x0, y0, w, h, time, wire)
  local function wave(u, phase) return math.sin(time * 0.12 - u * 4 + phase) * 14 * u end
  local x1, x2, x3 = x0 + w / 3, x0 + 2 * w / 3, x0 + w
  local pts = {
    x0, y0, x3, y0 + wave(1, 0), x3, y0 + h + wave(1, 0.6), x0, y0 + h,  -- corners P0..P3
    x1, y0 + wave(1 / 3, 0), x2, y0 + wave(2 / 3, 0),                    -- top controls
    x3 + wave(1, 1.5) * 0.3, y0 + h / 3 + wave(1, 0.2),                  -- right controls
    x3 - wave(1, 1.9) * 0.3, y0 + 2 * h / 3 + wave(1, 0.4),
    x2, y0 + h + wave(2 / 3, 0.6), x1, y0 + h + wave(1 / 3, 0.6),       -- bottom controls
    x0, y0 + 2 * h / 3, x0, y0 + h / 3,                                  -- left (the pole)
  }
  pts[#pts + 1] = 0
  pts[#pts + 1] = 12
  pts[#pts + 1] = wire
  flag:drawbeziermesh(unpack(pts))
  shape.line(x0, y0 - 10, x0, y0 + h + 120, 0xFFC0C0C0)
end

local function drawShapes(time, W, H)
  for i = 0, 11 do
    local a = time * 0.03 + i * math.pi / 6
    shape.triangle(W / 2 + math.cos(a) * 200, 360 + math.sin(a) * 80, W / 2 + math.cos(a + 0.3) * 220,
      360 + math.sin(a + 0.3) * 90, W / 2, 360, 0x60FF8040 + i * 0x1408)
  end
  local ring = {}
  for k = 0, 24 do
    local a = k * math.pi / 12
    ring[#ring + 1] = 540 + math.cos(a) * (40 + 8 * math.sin(time * 0.1 + k))
    ring[#ring + 1] = 90 + math.sin(a) * (40 + 8 * math.sin(time * 0.1 + k))
  end
  shape.linestrip(ring, 0xFF80E0FF)
  local stars = {}
  for k = 0, 59 do
    stars[#stars + 1] = (k * 97 + time) % W
    stars[#stars + 1] = (k * 53) % 200 + 250
  end
  shape.pointlist(stars, 0xFFFFFFFF)
  shape.bezier(20, 460, 200, 380 + math.sin(time * 0.05) * 60, 440, 470, 620, 420, 32, 0xFFFFE060)
end

-- Draws one of the showcase's screens into `target`.
local function render(target, draw)
  target:beginscene()
  draw()
  target:endscene()
end

return function(W, H, drawGame)
  local game = texture.create(W, H)
  local view = texture.create(W, H)
  local wire = texture.create(W, H)
  render(game, drawGame)
  local time, phase, t = 0, "fade", 0
  while phase ~= "done" do
    gui.doevents()
    if gui.getkey("ESC") then break end
    time = time + 1
    render(view, function()
      drawShapes(time, W, H)
      drawFlag(60, 60, 240, 150, time, false)
    end)
    if phase == "slide" or phase == "wire" then
      render(wire, function() drawFlag(160, 120, 320, 200, time, true) end)
    end
    if phase == "wipe" then render(game, drawGame) end  -- the game goes on under the wipe
    draw.beginscene()
    if phase == "fade" then
      transition.fade(game, view, t)
      t = t + 1 / 45
      if t >= 1 then phase, t = "shapes", 0 end
    elseif phase == "shapes" then
      view:draw(0, 0, 255)
      t = t + 1 / 120
      if t >= 1 then phase, t = "slide", 0 end
    elseif phase == "slide" then
      transition.slideleft(view, wire, t)
      t = t + 1 / 40
      if t >= 1 then phase, t = "wire", 0 end
    elseif phase == "wire" then
      wire:draw(0, 0, 255)
      t = t + 1 / 90
      if t >= 1 then phase, t = "wipe", 0 end
    else
      transition.universal(wire, game, t, rule, 48)
      t = t + 1 / 60
      if t >= 1 then phase = "done" end
    end
    draw.endscene()
    gui.sleep(16)
  end
  game:delete()
  view:delete()
  wire:delete()
end
