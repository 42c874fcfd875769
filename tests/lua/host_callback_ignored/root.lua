-- A callback that is not a table is ignored at exit.
callback = 5
console.print("done")
