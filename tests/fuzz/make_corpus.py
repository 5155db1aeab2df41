#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: clipboard blocks of the shapes
real programs put there, and the awkward ones a reader must survive. Run it
from anywhere; it rewrites tests/fuzz/corpus/."""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def info(width, height, bits, compression=0, clr_used=0, size_image=0, header=40):
    h = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression,
                    size_image, 2835, 2835, clr_used, 0)
    return h + bytes(header - 40)


def core(width, height, bits):
    return struct.pack("<IHHHH", 12, width, height, 1, bits)


def table(n, size=4):
    out = b""
    for i in range(n):
        bgr = bytes(((i * 37) & 255, (i * 91) & 255, (i * 13) & 255))
        out += bgr + (b"\0" if size == 4 else b"")
    return out


def bits(width, height, bpp):
    stride = (width * bpp + 31) // 32 * 4
    return bytes((r * 31 + c) & 255 for r in range(abs(height)) for c in range(stride))


MASKS565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
MASKS888 = struct.pack("<III", 0xFF0000, 0x00FF00, 0x0000FF)


def dibs():
    yield "1bit", info(9, 3, 1) + table(2) + bits(9, 3, 1)
    yield "4bit", info(5, 4, 4) + table(16) + bits(5, 4, 4)
    yield "8bit_clr0", info(6, 2, 8) + table(256) + bits(6, 2, 8)
    yield "8bit_clr20", info(6, 2, 8, clr_used=20) + table(20) + bits(6, 2, 8)
    yield "16bit", info(3, 2, 16) + bits(3, 2, 16)
    yield "16bit_bitfields", info(3, 2, 16, 3) + MASKS565 + bits(3, 2, 16)
    yield "24bit", info(7, 3, 24) + bits(7, 3, 24)
    yield "24bit_clr16", info(7, 3, 24, clr_used=16) + table(16) + bits(7, 3, 24)
    yield "24bit_topdown", info(4, -3, 24) + bits(4, 3, 24)
    yield "32bit", info(2, 2, 32) + bits(2, 2, 32)
    yield "32bit_bitfields", info(2, 2, 32, 3) + MASKS888 + bits(2, 2, 32)
    v4 = info(2, 2, 32, 3, header=108)
    v4 = v4[:40] + MASKS888 + struct.pack("<I", 0xFF000000) + v4[56:]
    yield "v4_bitfields", v4 + bits(2, 2, 32)
    yield "v5_8bit", info(4, 2, 8, header=124) + table(256) + bits(4, 2, 8)
    yield "core_8bit", core(4, 2, 8) + table(256, 3) + bits(4, 2, 8)
    yield "core_24bit", core(3, 3, 24) + bits(3, 3, 24)
    rle = bytes((2, 5, 3, 7, 0, 0, 4, 1, 0, 1))
    yield "rle8", info(7, 2, 8, 1, clr_used=8, size_image=len(rle)) + table(8) + rle
    yield "rle4", info(8, 1, 4, 2, clr_used=4) + table(4) + bytes((8, 0x12, 0, 1))
    yield "bits_cut", (info(16, 16, 24) + bits(16, 16, 24))[:40 + 300]
    yield "table_cut", (info(4, 4, 8) + table(256))[:600]
    yield "header_lies", struct.pack("<I", 4000) + info(2, 2, 24)[4:] + bits(2, 2, 24)
    yield "huge_size", info(0x7FFFFFFF, 0x7FFFFFFF, 32) + bits(1, 1, 32)
    # Bit-field headers that hold their masks, and one with no room for them.
    v2 = info(3, 2, 16, 3, header=52)
    yield "v2_bitfields", v2[:40] + MASKS565 + bits(3, 2, 16)
    v3 = info(2, 2, 32, 3, header=56)
    yield "v3_bitfields", v3[:40] + MASKS888 + struct.pack("<I", 0xFF000000) + bits(2, 2, 32)
    v4 = info(3, 2, 16, 3, header=108)
    yield "v4_bitfields_16bit", v4[:40] + MASKS565 + v4[52:] + bits(3, 2, 16)
    yield "bitfields_44", info(2, 1, 16, 3, header=44) + bits(2, 1, 16)
    # RLE: a large picture, mostly empty, reached by delta escapes; one that
    # declares far more than may be decoded; one cut inside its stream.
    deltas = bytes((0, 2, 0, 255)) * 15 + bytes((0, 2, 3, 174, 3, 1, 0, 1))
    yield "rle8_deltas", info(4000, 4000, 8, 1, clr_used=2, size_image=len(deltas)) + table(2) + deltas
    yield "rle8_huge", info(65535, 65535, 8, 1, clr_used=2) + table(2) + bytes((1, 1, 0, 1))
    yield "rle8_empty", info(4, 2, 8, 1, clr_used=2) + table(2)
    yield "rle4_cut", info(9, 3, 4, 2, clr_used=3, size_image=40) + table(3) + bytes((9, 0x12, 0, 0, 4))
    yield "int_min_height", info(3, -0x80000000, 24) + bits(3, 2, 24)


def dropfiles(names, wide, offset=20):
    head = struct.pack("<IiiII", offset, 10, 20, 0, 1 if wide else 0)
    return head + bytes(max(0, offset - 20)) + names


def ansi(*paths):
    return b"".join(p.encode("cp1252") + b"\0" for p in paths) + b"\0"


def wide(*paths):
    return b"".join(p.encode("utf-16-le") + b"\0\0" for p in paths) + b"\0\0"


def drops():
    yield "ansi3", dropfiles(ansi("C:\\Documents\\lettre.txt", "C:\\Images\\\u00e9t\u00e9.bmp",
                                  "\\\\serveur\\partage\\x.doc"), False)
    yield "wide2", dropfiles(wide("C:\\Users\\Zo\u00e9\\\u20ac.txt", "D:\\\u0141\u00f3d\u017a\\\U0001F600"),
                             True)
    yield "empty", dropfiles(b"\0", False)
    yield "wide_empty", dropfiles(b"\0\0", True)
    yield "no_end", dropfiles(b"C:\\a.txt\0C:\\b.txt", False)
    yield "offset_past_end", dropfiles(b"C:\\a.txt\0\0", False, offset=4096)[:20] + b"C:\\a.txt\0\0"
    yield "offset_padded", dropfiles(ansi("E:\\z"), False, offset=32)
    yield "wide_odd", dropfiles(wide("C:\\a") + b"x", True)
    yield "short_header", struct.pack("<III", 20, 0, 0)


def texts():
    yield "lines", b"Premi\xe8re ligne\r\nDeuxi\xe8me ligne\r\n\0"
    yield "no_nul", b"Pas de z\xe9ro \xe0 la fin"
    yield "empty", b"\0"
    yield "after_nul", b"court\0suite cach\xe9e\0"
    yield "long", b"".join(b"Ligne %d\r\n" % i for i in range(200)) + b"\0"


def main():
    for name, gen in (("dib", dibs), ("dropfiles", drops), ("text", texts)):
        folder = os.path.join(CORPUS, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for stem, data in gen():
            with open(os.path.join(folder, stem), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
