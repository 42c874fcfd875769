-- Transitions and shapes drawn into off-screen bitmaps and saved; check.sh
-- compares every picture with its golden frame. The screen has 480 lines so
-- rollup at 0.25 moves by 120, and a 64 x 64 rule image tiles it 3 x 8 times.
gui.create(160, 480)

-- Two pictures that differ in every channel: stripes and a checker.
local from = texture.create(160, 480)
from:fill(0xFF2040C0)
for x = 0, 159, 20 do from:fillrect(0xFFE0A020, x, 0, x + 9, 479) end
local to = texture.create(160, 480)
to:fill(0xFF10D060)
for y = 0, 479, 32 do
  for x = (y / 32) % 2 * 16, 159, 32 do to:fillrect(0xFFF02080, x, y, x + 15, y + 15) end
end
local rule = bitmap.load("rule64.png")

-- A 100 x 100 picture with a distinct texel at every position of a 10 x 10 grid.
local square = texture.create(100, 100)
for j = 0, 9 do
  for i = 0, 9 do square:fillrect(0xFF000000 + i * 0x190000 + j * 0x1900 + (i + j) * 8, i * 10, j * 10, i * 10 + 9, j * 10 + 9) end
end

local function shoot(name, draw)
  local b = bitmap.create(1, 1)
  b:beginscene()
  draw()
  b:endscene()
  b:save(name .. ".png")
end

shoot("fade_half", function() transition.fade(from, to, 0.5) end)
shoot("fade_1_5", function() transition.fade(from, to, 1.5) end)          -- alpha 129
shoot("rollup_quarter", function() transition.rollup(from, to, 0.25) end)  -- to at -360, from at 120
shoot("universal_hard", function() transition.universal(from, to, 0.3, rule, 0) end)
shoot("universal_soft", function() transition.universal(from, to, 0.4, rule) end)
shoot("shapes", function()
  shape.point(10.5, 3, 0xFFFFFFFF)
  shape.point(20, 4.5, 0xFFFF0000)
  shape.line(5.25, 10.75, 150.5, 40.5, 0xFF00FF00)
  shape.triangle(10.5, 50.25, 150.75, 60.5, 40.25, 130.5, 0x80FF8040)
  shape.trianglefan({80, 200, 60, 150, 100, 150, 120, 230}, 0xFF4080FF)
  shape.bezier(0, 300, 50, 240, 110, 360, 159, 300, 12, 0xFFFFFF00)
  -- The square patch with every control point at a third of its edge reproduces
  -- the picture texel for texel. Its corners lie on pixel edges, so every
  -- pixel centre samples a texel centre (on pixel centres they would sample
  -- texel edges, where devices may round either way).
  local x0, y0, t1, t2 = 29.5, 359.5, 100 / 3, 200 / 3
  square:drawbeziermesh(x0, y0, x0 + 100, y0, x0 + 100, y0 + 100, x0, y0 + 100,
    x0 + t1, y0, x0 + t2, y0, x0 + 100, y0 + t1, x0 + 100, y0 + t2,
    x0 + t2, y0 + 100, x0 + t1, y0 + 100, x0, y0 + t2, x0, y0 + t1, 0, 8)
end)
