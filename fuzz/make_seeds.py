#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the fuzzers' seed inputs into fuzz/seeds: settings files and small picture packs of every BMP kind
the loader meets. Run it again only to change the seeds; the files are kept in the repository."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")


def cfg_string(text):
    return bytes([len(text)]) + bytes(b ^ 0xFF for b in text)


def config(flags, country, names):
    out = bytes(flags) + cfg_string(country)
    for i, name in enumerate(names):
        out += cfg_string(name) + struct.pack("<i", 1000 - 100 * i)
    return out


def bmp(width, height, bits, pixel_rows, compression=0, palette=b"", core=False):
    data = b"".join(pixel_rows)
    if core:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(data), 2835, 2835,
                           len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + palette + data


def rows24(width, height):
    pad = (4 - width * 3 % 4) % 4
    return [b"".join(bytes((204, 0, 255)) if (x + y) % 3 == 0 else bytes((x * 40 % 256, y * 60 % 256, 17))
                     for x in range(width)) + b"\0" * pad for y in range(height)]


def pack(*records):
    return b"".join(struct.pack("<i", len(r)) + r for r in records)


def main():
    os.makedirs(os.path.join(HERE, "config"), exist_ok=True)
    os.makedirs(os.path.join(HERE, "pack"), exist_ok=True)
    russia = bytes([0xD0, 0xEE, 0xF1, 0xF1, 0xE8, 0xFF])
    vanya = bytes([0xC2, 0xE0, 0xED, 0xFF])
    seeds = {
        "config/initial.cfg": config([1, 1, 1], russia, [vanya] * 10),
        "config/mixed.cfg": config([0, 2, 1], b"", [b"", b"abc", b"\xff" * 10] + [vanya] * 7),
        "config/long.cfg": config([1, 0, 0], b"x" * 255, [b"y" * 255] * 10) + b"tail",
    }
    palette2 = struct.pack("<II", 0x000000, 0xFF00CC)
    palette3 = struct.pack("<III", 0x112233, 0x445566, 0xFF00CC)
    kinds = [
        bmp(5, 3, 24, rows24(5, 3)),
        bmp(3, -2, 24, rows24(3, 2)),
        bmp(2, 2, 24, rows24(2, 2), core=True),
        bmp(2, 2, 32, [struct.pack("<II", 0xFF00CC, 0x123456)] * 2),
        bmp(9, 2, 1, [b"\xa5\x80\0\0", b"\x5a\x00\0\0"], palette=palette2),
        bmp(3, 2, 8, [b"\0\1\2\0", b"\2\1\0\0"], palette=palette3),
        bmp(3, 2, 8, [bytes([3, 1, 0, 0, 2, 2, 1, 0, 0, 1])], compression=1, palette=palette3),
        bmp(4, 2, 4, [bytes([4, 0x12, 0, 0, 0, 4, 0x21, 0x02, 0, 0, 0, 1])], compression=2, palette=palette3),
    ]
    seeds.update({
        "pack/bmp24.pp": pack(bmp(5, 3, 24, rows24(5, 3))),
        "pack/topdown.pp": pack(bmp(3, -2, 24, rows24(3, 2))),
        "pack/core.pp": pack(bmp(2, 2, 24, rows24(2, 2), core=True)),
        "pack/bmp32.pp": pack(bmp(2, 2, 32, [struct.pack("<II", 0xFF00CC, 0x123456)] * 2)),
        "pack/mono.pp": pack(bmp(9, 2, 1, [b"\xa5\x80\0\0", b"\x5a\x00\0\0"], palette=palette2)),
        "pack/pal8.pp": pack(bmp(3, 2, 8, [b"\0\1\2\0", b"\2\1\0\0"], palette=palette3)),
        "pack/rle8.pp": pack(bmp(3, 2, 8, [bytes([3, 1, 0, 0, 2, 2, 1, 0, 0, 1])], compression=1,
                                 palette=palette3)),
        "pack/rle4.pp": pack(bmp(4, 2, 4, [bytes([4, 0x12, 0, 0, 0, 4, 0x21, 0x02, 0, 0, 0, 1])], compression=2,
                                 palette=palette3)),
        "pack/three.pp": pack(bmp(2, 1, 24, rows24(2, 1)), b"", bmp(1, 1, 24, rows24(1, 1))),
        # A whole pack as the game loads it, every record a small picture of another kind.
        "pack/whole.pp": pack(*[kinds[i % len(kinds)] for i in range(46)]),
    })
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
