-- getdocdir under XDG_DOCUMENTS_DIR: a created subfolder, returned in CP932,
-- and usable as it is returned.
local want = encoding.utf8_to_ansi(os.getenv("XDG_DOCUMENTS_DIR") .. "/")
assert(gui.getdocdir() == want, gui.getdocdir())
local save = gui.getdocdir("save")
assert(save == want .. "save", save)
local b = bitset.create(8)
b:set(7)
b:save(save .. "/flags")
assert(bitset.load(save .. "/flags"):get(7))
