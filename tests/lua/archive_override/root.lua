-- The loose root.lua runs, not the member of the same name.
assert(archive.seek("shared.txt"))
assert(archive.read() == "from 03", "03.qar overrides 00.qar")
assert(archive.seek("only00.txt"))
assert(archive.read() == "only in 00")
assert(archive.dofile("Scripts/Helper.lua") == "helper from 03")
print("override ok")
