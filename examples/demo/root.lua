-- QOR demo game (grows as the engine does).
console.print("QOR demo: hello from root.lua")
