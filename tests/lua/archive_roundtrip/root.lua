-- Every non-sound member reads back as the file it was packed from (the
-- engine's archive.read returns the data up to the first zero byte).
local n = 0
for line in io.lines("members.txt") do
  local folder, name = line:match("^([^/]+)/(.*)$")
  assert(archive.seek(name), "member " .. name)
  local got = archive.read()
  local f = assert(io.open(line, "rb"))
  local want = f:read("*a"):match("^[^%z]*")
  f:close()
  assert(got == want, "member " .. name .. " differs")
  n = n + 1
end
assert(n == 12, "members checked: " .. n)
print("round trip ok")
