-- The transition, shape and calc modules' checks and messages (raised in
-- CP932), calc.bezier's example and calc.test with good and bad streams.
local A = encoding.utf8_to_ansi
local function fails(pattern, f, ...)
  local ok, err = pcall(f, ...)
  assert(not ok, "expected an error: " .. pattern)
  assert(string.find(err, pattern, 1, true), err)
end

-- calc needs no screen.
local x, y = calc.bezier(0, 0, 0, 10, 10, 10, 10, 0, 0.5)
assert(x == 5 and y == 7.5, x .. "," .. y)
x, y = calc.bezier(0, 0, 0, 10, 10, 10, 10, 0, 2)  -- not clamped
assert(x == -40 and y == -60, x .. "," .. y)
fails("bad argument #9", calc.bezier, 0, 0, 0, 0, 0, 0, 0, 0)

fails(A('ファイル"test.arl"が開けませんでした。'), calc.test)
local short = bitmap.create(500, 100)
short:savealpha("test.arl")
fails(A('ファイル"test.arl"のデータが足りません。'), calc.test)
local b = bitmap.create(500, 600)
b:fill(0x80FFFFFF)
b:savealpha("test.arl")
calc.test()
local out = bitmap.load("out.png")
assert(select(1, out:getsize()) == 500 and select(2, out:getsize()) == 600)

fails(A("gui.createの前に描画はできません。"), shape.point, 1, 2, 0xFFFFFFFF)
gui.create(64, 48)
local full = texture.create(64, 48)
local small = texture.create(32, 48)
local rule = bitmap.create(8, 8)

-- Transitions: the size check of each, the vague range, argument types.
for _, name in ipairs({"fade", "rollup", "rolldown", "rollleft", "rollright",
                       "slideup", "slidedown", "slideleft", "slideright"}) do
  fails(A("テクスチャの大きさが画面と違います。"), transition[name], full, small, 0.5)
  fails(A("テクスチャの大きさが画面と違います。"), transition[name], texture.create(64, 49), full, 0.5)
  fails("bad argument #3", transition[name], full, full)
  fails("bad argument #1", transition[name], rule, full, 0)
end
fails(A("テクスチャやルール画像の大きさが画面と違います。"), transition.universal, small, full, 0.5, rule)
local gone = bitmap.create(8, 8)
gone:delete()
fails(A("テクスチャやルール画像の大きさが画面と違います。"), transition.universal, full, full, 0, gone)
fails(A("vagueには0～255を指定して下さい。"), transition.universal, full, full, 0.3, rule, 300)
fails(A("vagueには0～255を指定して下さい。"), transition.universal, full, full, 0.3, rule, -1)
fails("bad argument #4", transition.universal, full, full, 0.3, full)
draw.beginscene()
transition.universal(full, full, 0.3, rule, nil)  -- vague 64
transition.universal(full, full, 0.3, rule, 255)
transition.slideright(full, full, 1e300)          -- far off screen, no overflow

-- Shapes: each table form's table check and count check.
local counts = {pointlist = {1, 2, 3}, linelist = {1, 2, 3, 4, 5, 6}, linestrip = {0, 0},
                trianglelist = {1, 2, 3, 4}, trianglestrip = {1, 2, 3, 4}, trianglefan = {1, 2, 3, 4, 5, 6, 7, 8, 9}}
for name, bad in pairs(counts) do
  fails(A("shape." .. name .. "の第一引数は頂点座標のテーブルです"), shape[name], 5, 0xFFFFFFFF)
  fails(A(name .. "に渡した頂点データ配列がおかしいです"), shape[name], bad, 0xFFFFFFFF)
end
shape.pointlist({}, 0xFFFFFFFF)
shape.trianglelist({}, 0xFFFFFFFF)
shape.linelist({}, 0xFFFFFFFF)
shape.pointlist({1, 2, "x", 4}, 0xFFFFFFFF)  -- a non-number reads as 0
shape.linestrip({0, 0, 10, 10}, 0xFFFFFFFF)
fails("bad argument #3", shape.point, 1, 2)
fails(A("linestripに渡した頂点データ配列がおかしいです"), shape.bezier, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0xFFFFFFFF)
fails(A("分割数には1以上を指定して下さい。"), shape.bezier, 0, 0, 1, 1, 2, 2, 3, 3, -1, 0xFFFFFFFF)
-- texture:drawbeziermesh(24 numbers, ignored, n, wire) on `full`.
local function mesh(...)
  local a = {full}
  for i = 1, 24 do a[i + 1] = i * 2 end
  local extra = {...}
  for i = 1, select("#", ...) do a[25 + i] = extra[i] end
  return full.drawbeziermesh(unpack(a, 1, 25 + select("#", ...)))
end
fails(A("分割数には1以上を指定して下さい。"), mesh, 0, 0)
fails("bad argument #27", mesh, 0)
mesh(0, 2, true)
draw.endscene()

-- Stretched full screen refuses points and lines, not triangles.
gui.setscreenmode(2)
draw.beginscene()
local unsupported = A("対応していないプリミティブタイプを描画しようとしました。")
fails(unsupported, shape.point, 1, 2, 0xFFFFFFFF)
fails(unsupported, shape.line, 1, 2, 3, 4, 0xFFFFFFFF)
fails(unsupported, shape.bezier, 0, 0, 1, 1, 2, 2, 3, 3, 4, 0xFFFFFFFF)
fails(unsupported, mesh, 0, 2, true)  -- the wire overlay
shape.triangle(0, 0, 10, 0, 0, 10, 0xFFFFFFFF)
mesh(0, 2)
draw.endscene()
