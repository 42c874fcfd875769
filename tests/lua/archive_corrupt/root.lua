error("root.lua must not run when an archive is corrupt")
