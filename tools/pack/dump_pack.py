#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Splits a picture pack into numbered BMP files (and PNG copies when ImageMagick is present),
so every record can be looked at: dump_pack.py build/game/Data/Data.pp /tmp/pack"""
import os
import shutil
import struct
import subprocess
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: dump_pack.py <Data.pp> <output folder>")
    pack, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    data = open(pack, "rb").read()
    convert = shutil.which("convert")
    pos, index = 0, 0
    while pos < len(data):
        (length,) = struct.unpack_from("<i", data, pos)
        bmp = data[pos + 4:pos + 4 + length]
        pos += 4 + length
        width, height = struct.unpack_from("<ii", bmp, 18)
        name = os.path.join(out, "%02d" % index)
        with open(name + ".bmp", "wb") as f:
            f.write(bmp)
        if convert:
            subprocess.run([convert, name + ".bmp", name + ".png"], check=True)
        print("%2d  %4d x %-4d %s" % (index, width, height, name))
        index += 1


if __name__ == "__main__":
    main()
