-- The demo's text panel: Japanese and Latin text drawn one glyph at a time
-- with the font class, a gradient title, and a line that types itself out.
-- Returns { update = function() per frame, draw = function(x, y) }.
local PW, PH = 608, 168
local panel = texture.create(PW, PH)
local BACK = 0xE0102040

-- UTF-8 to UTF-16 code units (characters beyond the BMP become pairs).
local function units(s)
  local out, i = {}, 1
  while i <= #s do
    local c, n = s:byte(i), 1
    local cp = c
    if c >= 0xF0 then cp, n = c % 8, 4 elseif c >= 0xE0 then cp, n = c % 16, 3 elseif c >= 0xC0 then cp, n = c % 32, 2 end
    for k = 1, n - 1 do cp = cp * 64 + (s:byte(i + k) or 0x80) % 64 end
    if cp >= 0x10000 then
      cp = cp - 0x10000
      out[#out + 1] = 0xD800 + math.floor(cp / 1024)
      out[#out + 1] = 0xDC00 + cp % 1024
    else
      out[#out + 1] = cp
    end
    i = i + n
  end
  return out
end

-- Full-width characters take `full`'s cell, ASCII the half-width `half`'s.
local function line(full, half, s, x, y, colour)
  local fw = full:getinfo()
  local hw = half:getinfo()
  for _, u in ipairs(units(s)) do
    if u < 0x80 then half:put(panel, u, x, y, colour); x = x + hw
    else full:put(panel, u, x, y, colour); x = x + fw end
  end
  return x
end

local title = font.create({ width = 32, height = 32, name = "ＭＳ ゴシック" })
local titleHalf = font.create({ width = 16, height = 32, name = "ＭＳ ゴシック" })
local mincho = font.create({ width = 22, height = 22, name = "ＭＳ 明朝" })
local minchoHalf = font.create({ width = 11, height = 22, name = "ＭＳ 明朝" })
local arial = font.create({ width = 12, height = 22, name = "Arial" })
local times = font.create({ width = 12, height = 22, name = "Times New Roman" })
local typeFull = font.create({ width = 20, height = 20, name = "メイリオ" })
local typeHalf = font.create({ width = 10, height = 20, name = "メイリオ" })

panel:fill(BACK)
local x = 12
for _, u in ipairs(units("QOR テキスト")) do
  local f = u < 0x80 and titleHalf or title
  f:putgradation(panel, u, x, 8, 0xFFFFF0A0, 0xFFFF5020, false, true)
  x = x + f:getinfo()
end
line(mincho, minchoHalf, "吾輩は猫である。名前はまだ無い。", 12, 50, 0xFFFFFFFF)
line(arial, arial, "Sphinx of black quartz, judge my vow.", 12, 78, 0xFFA0E0FF)
line(times, times, "Glyphs at 3x, filtered to 16 levels.", 12, 102, 0xFFFFD0E0)

local typing = units("フォントは FreeType と fontconfig で描いています。")
local TYPE_Y, step, shown, wait = 136, 3, 0, 0
local tx = 12

local function update()
  if shown < #typing then
    wait = wait + 1
    if wait >= step then
      wait = 0
      shown = shown + 1
      local u = typing[shown]
      if u < 0x80 then typeHalf:put(panel, u, tx, TYPE_Y, 0xFF80FF80); tx = tx + 10
      else typeFull:put(panel, u, tx, TYPE_Y, 0xFF80FF80); tx = tx + 20 end
    end
  else
    wait = wait + 1
    if wait > 90 then  -- start over
      panel:fillrect(BACK, 0, TYPE_Y, PW - 1, TYPE_Y + 21)
      shown, wait, tx = 0, 0, 12
    end
  end
end

local function draw(px, py)
  panel:draw(px, py, 255)
end

return { update = update, draw = draw }
