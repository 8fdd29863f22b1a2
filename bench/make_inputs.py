#!/usr/bin/env python3
"""Writes the 20 KiB input files the command line is timed on.

ascii-20k.txt    ASCII text: the same bytes in UTF-8 and GBK.
chinese-20k.txt  UTF-8 text with Chinese characters, full-width and Greek
                 letters: the command line converts it to GBK and back.
Both are exactly 20480 bytes (a full work buffer), lines ending in CR LF,
padded with '.' so that no character is cut.
random-64m.bin   64 MiB of pseudo-random bytes, the same at every run: the
                 file `quobrix crc` is timed on beside rhash and cksum.

Usage: make_inputs.py OUT_DIR
"""
import os
import random
import sys

SIZE = 20480  # the work buffer
LINES = {
    "ascii-20k.txt": "Quobrix checksum CRC MD5 hex 0123456789 AbCdEf\r\n",
    "chinese-20k.txt": "Quobrix 工具 中文 ａｂ αβ 0123 AbCd\r\n",
}

LARGE_NAME = "random-64m.bin"
LARGE_SIZE = 64 << 20
LARGE_SEED = 11  # any fixed seed: the bytes only need to be the same every time


def filled(line):
    unit = line.encode("utf-8")
    data = unit * (SIZE // len(unit))
    return data + b"." * (SIZE - len(data))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for name, line in LINES.items():
        with open(os.path.join(sys.argv[1], name), "wb") as f:
            f.write(filled(line))
    with open(os.path.join(sys.argv[1], LARGE_NAME), "wb") as f:
        f.write(random.Random(LARGE_SEED).randbytes(LARGE_SIZE))


if __name__ == "__main__":
    main()
