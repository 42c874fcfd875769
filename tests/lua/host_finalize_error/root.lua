-- callback.finalize that raises turns a normal end into status 255.
callback.finalize = function()
  console.print("finalizing")
  error("保存に失敗しました")
end
-- Text converted during the run must not disturb conversions at exit.
assert(encoding.utf8_to_ansi("あ") == "\130\160")
console.print("body")
