# The capture is a 48 kHz stereo 16-bit WAV whose sizes were patched at exit,
# holding about two seconds of the tone.
python3 - <<'PY'
import struct, sys
b = open("capture.wav", "rb").read()
assert b[:4] == b"RIFF" and b[8:16] == b"WAVEfmt ", "not a WAV"
ch, rate = struct.unpack("<HI", b[22:28])
bits = struct.unpack("<H", b[34:36])[0]
assert (ch, rate, bits) == (2, 48000, 16), (ch, rate, bits)
riff, = struct.unpack("<I", b[4:8]); size, = struct.unpack("<I", b[40:44])
assert b[36:40] == b"data" and size == len(b) - 44 and riff == len(b) - 8, (riff, size, len(b))
s = struct.unpack("<%dh" % (size // 2), b[44:44 + size])
loud = [i for i in range(0, len(s), 2) if abs(s[i]) > 1000 or abs(s[i + 1]) > 1000]
assert loud, "silent capture"
span = (loud[-1] - loud[0]) / 2 / 48000
assert 1.9 < span < 2.1, span
assert max(abs(v) for v in s) > 8000
print("capture ok", span)
PY
