# Compares two 8-bit RGB/RGBA PNG files pixel by pixel (colour only).
# usage: pngdiff.py A.png B.png TOLERANCE [OUTLIERS]
# exit 0 when at most OUTLIERS pixels (default 0) have a channel differing by more than TOLERANCE
# Other checks import decode() from it: (width, height, rows of (R, G, B)).
import struct, sys, zlib


def decode(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and ctype in (2, 6) and interlace == 0, (path, depth, ctype)
            bpp = 4 if ctype == 6 else 3
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw, stride = zlib.decompress(idat), w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(w)])
        prev = line
    return w, h, rows


if __name__ == "__main__":
    wa, ha, a = decode(sys.argv[1])
    wb, hb, b = decode(sys.argv[2])
    tol = int(sys.argv[3])
    outliers = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    if (wa, ha) != (wb, hb):
        sys.exit("size %dx%d, golden %dx%d" % (wa, ha, wb, hb))
    bad = [(x, y, a[y][x], b[y][x]) for y in range(ha) for x in range(wa)
           if max(abs(p - q) for p, q in zip(a[y][x], b[y][x])) > tol]
    for x, y, p, q in bad[:5]:
        print("pixel %d,%d: %s, golden %s" % (x, y, p, q))
    if len(bad) > outliers:
        sys.exit("%d pixels differ by more than %d" % (len(bad), tol))
