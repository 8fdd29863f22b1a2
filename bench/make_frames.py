#!/usr/bin/env python3
"""Writes the frames `quobrix find` is timed on, one frame a line in hex.

frames-hit.txt    three frames of 256 bytes: a start byte, 250 bytes of data,
                  their CRC-32/ISO-HDLC low byte first, an end byte.
frames-miss.txt   three frames of 256 random bytes that no check explains.
frames-crc16.txt  five frames of a 16-bit CRC that the catalogue does not
                  hold, two of 24 bytes, two of 37 and one of 30, for
                  recovery (its fit takes three frames' worth of check, and
                  a 16-bit CRC needs two more to be borne out);
frames-crc32.txt  four frames of a 32-bit CRC, two of 24 bytes and two of 37.
frames-files.txt  five frames of a 32-bit CRC the catalogue does not hold,
                  of 1 to 16 KiB and no two of one length, as a capture of
                  file transfers gives them: found by default.
frames-random-1k.txt ... frames-random-64k.txt
                  three random frames of 1, 4, 16 and 64 KiB, for the time
                  recovery takes when nothing is there to find.
find-crc16.expected, find-crc32.expected, find-files.expected: the
parameters recovery should find, as `quobrix find` writes them.
The bytes are the same at every run.

Usage: make_frames.py OUT_DIR
"""
import os
import random
import sys
import zlib

SEED = 12  # any fixed seed


def reflect(value, width):
    return int(format(value, "0%db" % width)[::-1], 2)


def crc(params, data):
    """A CRC bit by bit, the register in normal form."""
    width, poly, init, refin, refout, xorout = params
    top = 1 << (width - 1)
    mask = (1 << width) - 1
    reg = init
    for byte in data:
        for k in range(8):
            bit = (byte >> (k if refin else 7 - k)) & 1
            reg = ((reg << 1) & mask) ^ (poly if bool(reg & top) != bool(bit) else 0)
    return (reflect(reg, width) if refout else reg) ^ xorout


CUSTOM = {
    "crc16": (16, 0x2F15, 0xBEEF, True, True, 0x5A5A),
    "crc32": (32, 0x32583499, 0x12345678, False, False, 0xFFFFFFFF),
}
FILES = (32, 0x8F6E37A1, 0x12345678, True, True, 0xFFFFFFFF)
FILE_LENGTHS = (1200, 2500, 5000, 9000, 16000)
RANDOM_KIB = (1, 4, 16, 64)


def params_text(params):
    width, poly, init, refin, refout, xorout = params
    digits = "0x%%0%dx" % ((width + 3) // 4)
    return "width=%d poly=%s init=%s refin=%s refout=%s xorout=%s" % (
        width, digits % poly, digits % init, str(refin).lower(), str(refout).lower(), digits % xorout)


def write(path, frames):
    with open(path, "w") as f:
        for frame in frames:
            f.write(" ".join("%02X" % b for b in frame) + "\n")


def main():
    out = sys.argv[1]
    rng = random.Random(SEED)
    data = lambda size: bytes(rng.randrange(256) for _ in range(size))
    hit = []
    for _ in range(3):
        body = data(250)
        hit.append(b"\x7e" + body + zlib.crc32(body).to_bytes(4, "little") + b"\x7e")
    write(os.path.join(out, "frames-hit.txt"), hit)
    write(os.path.join(out, "frames-miss.txt"), [data(256) for _ in range(3)])
    for name, params in CUSTOM.items():
        size = params[0] // 8
        frames = []
        for length in (24, 24, 37, 37, 30)[:5 if size == 2 else 4]:
            body = data(length)
            frames.append(body + crc(params, body).to_bytes(size, "little"))
        write(os.path.join(out, "frames-%s.txt" % name), frames)
        with open(os.path.join(out, "find-%s.expected" % name), "w") as f:
            f.write(params_text(params) + "\n")
    frames = []
    for length in FILE_LENGTHS:
        body = data(length - 4)
        frames.append(body + crc(FILES, body).to_bytes(4, "little"))
    write(os.path.join(out, "frames-files.txt"), frames)
    with open(os.path.join(out, "find-files.expected"), "w") as f:
        f.write(params_text(FILES) + "\n")
    for kib in RANDOM_KIB:
        write(os.path.join(out, "frames-random-%dk.txt" % kib), [data(1024 * kib) for _ in range(3)])


if __name__ == "__main__":
    main()
