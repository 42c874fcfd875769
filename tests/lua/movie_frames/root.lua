-- --frames counts the movie's frames: the run ends during movie.play.
gui.create(128, 96)
movie.play("count.mp4", false, 0)
error("the run should have ended during the movie")
