-- The demo's game loop, loaded from the archive by root.lua.
--   arrows     move the ball          click   drop a sprite burst
--   1 / 2 / 3  windowed / full screen / stretched full screen
--   M          fade over to the other music track
--   N          negative of the banner bitmap       ESC   quit
--   S          save a screenshot as…
--   T          the shapes showcase (showcase.lua)
local W, H = 640, 480
console.print("main.lua loaded from " .. (archive.seek("main.lua") and "the archive" or "disk"))

local sys = archive.dofile("system.lua")
gui.create(W, H)
gui.caption("QOR デモ")
sys.start()
local movies = archive.dofile("movie.lua")
movies.intro()

local bg = texture.load("img/bg.jpg")
local ball = texture.load("img/sprite.png")
local tiles = texture.load("img/tiles.png")

-- A banner built in memory from a bitmap: a gradient with a tile pasted on.
local banner = bitmap.create(256, 40)
banner:gradation(0xFF3050A0, 0xFFE0A030, true, false)
local tile = bitmap.load("img/tiles.png")
tile:trim(0, 0, 31, 31)
tile:resize(40, 40)
banner:joinx(tile)
local bannerTex = texture.frombitmap(banner)

-- A panel of text drawn with the font class (text.lua).
local textPanel = archive.dofile("text.lua")

-- A small solid quad texture for coloured rectangles.
local solid = texture.create(8, 8)
solid:fill(0xFFFFFFFF)

-- A render-to-texture effect: the scene is redrawn into a texture and shown small.
local mirror = texture.create(W, H)

local showcase = archive.dofile("showcase.lua")

-- Music from the archive (loops back to LOOPSTART), a click from a loose file.
local tracks = { "bgm/theme.ogg", "bgm/calm.ogg" }
local music = { sound.create(), sound.create() }
local current = 1
music[1]:play({ name = tracks[1], loop = true, volume = -600, fadein = 1.0 })
local click = sound.create()

local x, y = W / 2, H / 2
local bursts = {}
local frame = 0
local last = gui.gettimer()

local function drawScene()
  bg:draw(0, 0, 255)
  for i = 0, 9 do tiles:drawrect(i * 64, H - 32, 64, 32, 0, 0, 160) end
  for _, b in ipairs(bursts) do
    for k = 0, 7 do
      local a = b.t * 0.08 + k * math.pi / 4
      ball:drawrectlt(b.x + math.cos(a) * b.t * 2, b.y + math.sin(a) * b.t * 2, 0, 0, 32, 32,
        1 + b.t / 60, 1 + b.t / 60, a, 255 - b.t * 4)
    end
  end
  ball:drawrectlt(x, y, 0, 0, 32, 32, 2, 2, frame * 0.05, 255)
  bannerTex:draw(16, 16, 255)
  movies.draw()
  textPanel.draw(16, 276)
end

while true do
  gui.doevents()
  frame = frame + 1
  textPanel.update()
  if gui.getkey("ESC") then break end
  if gui.getkey("LEFT") then x = x - 4 end
  if gui.getkey("RIGHT") then x = x + 4 end
  if gui.getkey("UP") then y = y - 4 end
  if gui.getkey("DOWN") then y = y + 4 end
  if gui.getkey("1") then gui.setscreenmode(0) end
  if gui.getkey("2") then gui.setscreenmode(1) end
  if gui.getkey("3") then gui.setscreenmode(2) end
  if gui.getkey("T") then showcase(W, H, drawScene) end
  if gui.getkey("N") then banner:nega(); bannerTex = texture.frombitmap(banner) end
  if gui.getkey("M") and frame % 30 == 0 then
    music[current]:fadeout(1500)
    current = 3 - current
    music[current]:play({ name = tracks[current], loop = true, volume = -600, fadein = 1.5 })
  end
  sys.update(mirror)
  local leftUp = gui.getclick()
  if leftUp then
    local mx, my = gui.getmouse()
    if mx then
      bursts[#bursts + 1] = { x = mx, y = my, t = 0 }
      click:play({ name = "se/click.wav" })
    end
  end
  -- Demo self-play, so a headless run shows and plays something: a burst with
  -- its click every two seconds, and a cross-fade to the other track at 4 s.
  if frame % 120 == 1 then
    bursts[#bursts + 1] = { x = 120 + (frame * 37) % 400, y = 140 + (frame * 53) % 200, t = 0 }
    click:play({ name = "se/click.wav", volume = -300 })
  end
  if frame == 240 then
    music[current]:fadeout(1500)
    current = 3 - current
    music[current]:play({ name = tracks[current], loop = true, volume = -600, fadein = 1.5 })
  end
  for i = #bursts, 1, -1 do
    bursts[i].t = bursts[i].t + 1
    if bursts[i].t > 60 then table.remove(bursts, i) end
  end

  -- Every 4th frame the scene is rendered into a texture first (shown as a thumbnail).
  if frame % 4 == 0 then
    mirror:beginscene()
    drawScene()
    mirror:endscene()
  end

  draw.beginscene()
  drawScene()
  draw.blend(1)
  solid:drawrectlt(W - 90, H - 80, 0, 0, 8, 8, 20, 14, 0, 60)
  draw.blend(0)
  mirror:drawrectlt(W - 90, H - 80, 0, 0, W, H, 0.25, 0.25, 0, 230)
  draw.endscene()

  local now = gui.gettimer()
  local wait = 16 - (now - last)
  if wait > 0 then gui.sleep(wait) end
  last = gui.gettimer()
end
