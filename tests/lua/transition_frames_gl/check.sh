# OpenGL may differ from the reference device by 2 per channel, and by more
# on a few texel-boundary pixels, as in the texture frame test.
TOLERANCE=2 OUTLIERS=20 bash ./check.sh.base
