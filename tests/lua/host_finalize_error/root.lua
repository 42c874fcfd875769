-- callback.finalize that raises turns a normal end into status 255.
callback.finalize = function()
  console.print("finalizing")
  error("保存に失敗しました")
end
console.print("body")
