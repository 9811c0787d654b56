#!/usr/bin/env python3
"""Writes a Windows icon file holding the given PNG pictures (each at most 256 pixels square).

An icon file may hold PNG pictures as they are: a 6-byte header, a 16-byte entry per picture,
then the pictures' bytes. Usage: make-ico.py OUT.ico IN.png...
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out, inputs):
    pictures = [open(name, "rb").read() for name in inputs]
    offset = 6 + 16 * len(pictures)
    entries = b""
    for data in pictures:
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit("a picture over 256 pixels")
        # 256 is written as 0; no palette; 1 plane, 32 bits per pixel
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out + ".part", "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(pictures)) + entries + b"".join(pictures))
    import os
    os.replace(out + ".part", out)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
