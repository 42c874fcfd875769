-- A malformed input file stops the run at the first pump.
gui.doevents()
error("the bad input file was accepted")
