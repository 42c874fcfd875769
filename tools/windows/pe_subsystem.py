#!/usr/bin/env python3
"""Sets the subsystem field of a Windows executable: `gui` (no console window
at start) or `console`.

usage: pe_subsystem.py FILE.exe gui|console
"""
import struct
import sys

VALUES = {"gui": 2, "console": 3}  # IMAGE_SUBSYSTEM_WINDOWS_GUI / _CUI


def main():
    path, kind = sys.argv[1], sys.argv[2]
    with open(path, "r+b") as f:
        data = f.read(4096)
        if data[:2] != b"MZ":
            sys.exit(f"pe_subsystem.py: {path} is not an executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            sys.exit(f"pe_subsystem.py: {path} has no PE header")
        # The optional header follows the 20-byte file header; its subsystem
        # field sits at offset 68 in both the 32- and 64-bit layouts.
        f.seek(pe + 4 + 20 + 68)
        f.write(struct.pack("<H", VALUES[kind]))


main()
