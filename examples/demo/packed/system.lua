-- The demo's use of the system services: one running copy, the player's
-- settings and seen-flags in a bitset under the documents folder, and
-- "save screenshot as…" (S) through the save dialog.
local sys = {}

lock.singleton(function()
  gui.okbox("QOR デモはもう起動しています。", "QOR デモ")
  os.exit(0)
end)

-- bits 0-1: the screen mode (0..2); bits 8..: things the player has seen.
local SEEN = { LEFT = 8, RIGHT = 9, UP = 10, DOWN = 11, N = 12, M = 13, S = 14 }
local folder = gui.getdocdir("qor-demo")
local file = folder .. "/settings.bit"
local flags = bitset.load(file) or bitset.create(32)
local dirty = false

local function mode()
  return (flags:get(0) and 1 or 0) + (flags:get(1) and 2 or 0)
end

local function setMode(m)
  if mode() == m then return end
  if m % 2 == 1 then flags:set(0) else flags:reset(0) end
  if m >= 2 then flags:set(1) else flags:reset(1) end
  dirty = true
end

local function seenCount()
  local n, total = 0, 0
  for _, bit in pairs(SEEN) do
    total = total + 1
    if flags:get(bit) then n = n + 1 end
  end
  return n, total
end

-- After gui.create: the saved screen mode comes back.
function sys.start()
  local n, total = seenCount()
  console.print(("settings in %s: screen mode %d, %d of %d controls tried"):format(file, mode(), n, total))
  if mode() ~= 0 then gui.setscreenmode(mode()) end
end

-- Once a frame: notes controls and mode keys, offers the screenshot on S,
-- and saves the settings when they changed.
function sys.update(shotSource)
  for key, bit in pairs(SEEN) do
    if gui.getkey(key) and not flags:get(bit) then
      flags:set(bit)
      dirty = true
    end
  end
  for m = 0, 2 do
    if gui.getkey(tostring(m + 1)) then setMode(m) end
  end
  if gui.getkey("S") then
    local path = gui.savedialog("png", "screenshot.png")
    if path then
      bitmap.fromtexture(shotSource):save(path)
      console.print("screenshot saved as " .. path)
    end
  end
  if dirty then
    -- A folder that cannot be written costs the settings, not the game.
    local ok, err = pcall(flags.save, flags, file)
    if not ok then console.print(err) end
    dirty = false
  end
end

return sys
