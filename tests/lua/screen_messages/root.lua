-- The draw and screen-mode functions' argument checks and messages, before
-- and after gui.create (messages arrive in CP932).
local function fails(pattern, f, ...)
  local ok, err = pcall(f, ...)
  assert(not ok, "expected an error")
  assert(string.find(err, pattern, 1, true), err)
end
local A = encoding.utf8_to_ansi
assert(gui.isenable() == false)
assert(draw.endscene() == true)       -- before gui.create: nothing to present
draw.blend(1)                         -- no device: nothing happens
fails(A("ブレンドモードは、mode=0:通常ブレンド 1:加算ブレンドです。"), draw.blend, 2)
fails(A("スクリーンモードは０～２です"), gui.setscreenmode, 3)
fails(A("gui.createの前"), draw.beginscene)

gui.create(320, 240)
assert(gui.isenable() == true)
fails("bad argument #2", draw.beginscene, 1)
draw.beginscene(nil)
fails(A("描画開始に失敗しました。"), draw.beginscene)
assert(draw.endscene() == true)
draw.beginscene(0, 0, 319, 239)
draw.blend(1)
assert(draw.endscene() == true)
assert(gui.getscreenmode() == 0)
fails(A("スクリーンモードは０～２です"), gui.setscreenmode, -1)
