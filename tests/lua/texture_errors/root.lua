-- Texture messages as a script sees them, saving through the engine, and scene rules.
-- (Size, render-range and empty-texture messages are texture_lua_test's.)
local function expect_error(tag, f, ...)
  local ok, err = pcall(f, ...)
  assert(not ok, tag .. " should fail")
  print(tag .. ": " .. tostring(err))
end

expect_error("before-create", texture.create, 4, 4)
gui.create(64, 48)

expect_error("missing", texture.load, "nothing.png")
assert(select(2, texture.load("grey.png"):getsize()) == 60) -- a grey palette PNG loads
expect_error("movie-name", texture.load, ":movie(op.mpg")
expect_error("movie-open", texture.load, ":moviealpha(a.mpg|b.dat)")

local t = texture.load("rgba3x2.png")
expect_error("rectlt", t.drawrectlt, t, 5, 5, -1, 0, 3, 2, 2, 2, 0, 255)
local b = bitmap.create(2, 2)
expect_error("save", t.save, t, "notadir/x.png")
expect_error("savealpha", t.savealpha, t, "x.bmp")

t:beginscene()
expect_error("bitmap-scene", b.beginscene, b)
t:endscene()
t:endscene()

t:save("saved.png")
t:savealpha("saved.arl")
t:delete()
t:draw(0, 0, 255)  -- an empty texture draws nothing
print("errors ok")
