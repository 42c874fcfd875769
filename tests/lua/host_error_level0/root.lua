-- error with level 0 is raised at the wrapper's own level: its chunk's position prefix.
error("no position wanted", 0)
