#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets that need no JPEG encoder:
small BMP files of every depth the reader takes (and a few it refuses),
resource files with lookups and edits, texts in each character code, and
editor action sequences.  Run from the source tree: fuzz/make-seeds.py"""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    d = os.path.join(ROOT, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "seed-" + name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, colors=None, compression=0, info=40):
    entries = (1 << bits) if bits <= 8 else 0
    if colors is not None:
        entries = colors
    stride = (width * bits + 31) // 32 * 4
    table = b"".join(bytes([i * 7 % 256, i * 13 % 256, i * 29 % 256, 0]) for i in range(entries))
    pixels = bytes((x * 37 + y * 11) % 256 for y in range(height) for x in range(stride))
    off = 14 + info + len(table)
    head = struct.pack("<HIHHI", 0x4D42, off + len(pixels), 0, 0, off)
    inf = struct.pack("<IiiHHIIiiII", info, width, height, 1, bits, compression, len(pixels),
                      2835, 2835, colors or 0, 0)
    inf += bytes(info - 40)
    return head + inf + table + pixels


put("bmp", "1bit", bmp(9, 3, 1))
put("bmp", "4bit", bmp(5, 4, 4))
put("bmp", "4bit-few-colors", bmp(3, 2, 4, colors=3))
put("bmp", "8bit", bmp(7, 3, 8))
put("bmp", "24bit", bmp(3, 3, 24))
put("bmp", "24bit-v4-header", bmp(2, 2, 24, info=108))
put("bmp", "16bit-refused", bmp(2, 2, 16))
put("bmp", "rle-refused", bmp(2, 2, 8, compression=1))
put("bmp", "short-refused", bmp(4, 4, 24)[:60])


def rc(ops, contents):
    out = bytes([len(ops) - 1])
    for kind, group, key, value in ops:
        out += bytes([kind]) + group + b"\0" + key + b"\0" + value + b"\0"
    return out + contents


KRNRC = (b"[Korrin]\nFont=-misc-fixed-medium-r-normal--14-*\nInterval=35\n"
         b"# remark\n\nWallPaper=\n[Other]\nx=1\n")
put("rcfile", "replace", rc([(0, b"Korrin", b"Interval", b"50"), (1, b"Korrin", b"Interval", b"")],
                            KRNRC))
put("rcfile", "insert", rc([(0, b"Korrin", b"New", b" v "), (1, b"Other", b"x", b"")], KRNRC))
put("rcfile", "new-group", rc([(0, b"Third", b"k", b"v"), (1, b"Third", b"k", b"")], KRNRC))
put("rcfile", "unterminated", rc([(0, b"Korrin", b"Font", b"f"), (1, b"Korrin", b"Font", b"")],
                                 b"[Korrin]"))
put("rcfile", "probes", rc([(6, b"", b"", b"9"), (7, b"", b"", b""), (14, b"", b"", b"x")], KRNRC))

put("charcode", "ascii", b"Hello, world.\n\tTabbed line\r\n")
put("charcode", "euc", "日本語のテキスト、かな カナ ABC\n".encode("euc_jp"))
put("charcode", "sjis", "日本語のテキスト、ｶﾀｶﾅ\n".encode("shift_jis"))
put("charcode", "jis-raw", bytes(b - 0x80 if b >= 0xA1 else b for b in "漢字\n".encode("euc_jp")))
put("charcode", "binary", bytes(range(0, 256)))


def editor(code, width, height, line_height, text, steps):
    return bytes([code, width // 2, height // 2, line_height - 1, len(text)]) + text + bytes(steps)


TEXT = "あいう abc\n漢字のテキスト long line of words here\n\nend".encode("euc_jp")
put("editor", "typing", editor(0, 120, 100, 14, TEXT,
                               [0, 2, 65, 66, 1, 4, 34, 3, 10, 3, 8, 3, 0, 3, 17, 3, 17, 8, 9, 9]))
put("editor", "keys", editor(0, 80, 60, 14, TEXT,
                             [3, 1, 3, 1, 3, 3, 3, 19, 3, 18, 4, 6, 4, 7, 3, 9, 3, 8, 3, 5, 4, 4]))
put("editor", "mouse", editor(4, 100, 80, 14, TEXT,
                              [5, 30, 10, 100, 6, 60, 20, 50, 6, 10, 40, 50, 7, 8, 5, 30, 10, 10,
                               5, 30, 10, 20, 10, 9]))
put("editor", "failures", editor(8, 90, 70, 12, TEXT,
                                 [15, 1, 0, 1, 65, 15, 2, 3, 8, 15, 1, 3, 10, 15, 1, 11, 30, 30,
                                  15, 3, 9, 15, 1, 1, 5, 6]))
put("editor", "setters", editor(1, 100, 100, 14, "ｶﾅ漢字\n".encode("shift_jis"),
                                [12, 3, 0, 13, 1, 0, 9, 0, 14, 5, b"x\r\ny" [0], 120, 13, 121,
                                 46, 3, 65, 66, 67, 14, 0, 1, 0]))
put("editor", "narrow", editor(2, 10, 20, 14, b"abc def\n", [11, 2, 2, 0, 1, 65, 3, 1, 11, 100, 100]))
TABS = "\tint x;\n\t\tif (a)\tb;\nabcdefghijklm\tz\n漢\t字\tx\n".encode("euc_jp")
put("editor", "tabs", editor(0, 100, 80, 14, TABS,
                             [0, 1, 95, 33, 3, 3, 3, 10, 0, 0, 95, 3, 8, 11, 60, 50, 0, 2, 95, 95,
                              95, 3, 2, 3, 9, 11, 45, 50, 5, 40, 10, 100, 6, 90, 30, 200, 7, 3, 10,
                              0, 0, 95, 11, 20, 40, 3, 8, 3, 8]))
