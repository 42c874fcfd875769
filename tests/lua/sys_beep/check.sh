# One tone of about 0.12 s in the capture, not repeated by the looping buffer.
python3 - <<'PY'
import struct
b = open("capture.wav", "rb").read()
size, = struct.unpack("<I", b[40:44])
s = struct.unpack("<%dh" % (size // 2), b[44:44 + size])
loud = [i for i in range(0, len(s), 2) if abs(s[i]) > 1000]
assert loud, "silent capture"
span = (loud[-1] - loud[0]) / 2 / 48000
assert 0.08 < span < 0.16, span
PY
