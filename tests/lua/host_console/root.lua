-- console output and input on the standard streams. The stdin file beside this
-- script holds a line in CP932, made with: printf "シフトJIS" | iconv -f UTF-8 -t CP932
console.open()
console.write("a") console.write("β") console.write(7, "ignored") console.write("\n")
console.print(12, "二行目", 1.5)
console.print(nil, true, false)
console.print()
console.locate(3, 4)   -- not a terminal: nothing is written
local lines = {}
while true do
  local l = console.readline()
  if l == nil then break end
  lines[#lines + 1] = l
end
assert(#lines == 5, #lines)
assert(lines[1] == "plain")
assert(lines[2] == "crlf\r")
assert(lines[3] == "日本語")
assert(lines[4] == "シフトJIS", lines[4])
assert(lines[5] == "last")
console.close()
console.print("again")
