libloaded = (libloaded or 0) + 1
return 1, "two", nil
