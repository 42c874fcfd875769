error("the member root.lua must not run")
