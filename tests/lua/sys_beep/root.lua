-- gui.beep sounds one short tone through the mixer.
gui.create(64, 64)
gui.beep()
gui.sleep(600)
