#!/usr/bin/env python3
"""Precision and recall of `quobrix find`, measured on seeded random frames.

Usage: bench/find_evidence.py QUOBRIX [--trials N] [--seed S] [--structured-only [--reveng PATH]]

Random frames (no check at all) of several shapes should not be explained
(exit 0); frames of a random catalogue check, with 3 and with 4 different
frames, should be named first; frames of little variety (runs of 00 or FF,
random bytes then zero padding, counters) should not be explained; frames of a random CRC the catalogue lacks
should be recovered with parameters that also hold on fresh frames, and no
line that fails on fresh frames should be printed. The CRCs of the frames
are computed here bit by bit from the parameters, independently of the
program measured.
"""
import argparse
import os
import random
import re
import subprocess
import sys

# The bit-serial CRC of the frames' generator, the program's independent oracle
# (no byte code left beside it in the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_frames import crc  # noqa: E402


LINE = re.compile(r"width=(\d+) poly=(0x[0-9a-f]+) init=(0x[0-9a-f]+) refin=(\w+) refout=(\w+) xorout=(0x[0-9a-f]+)")


def parse_params(text):
    m = LINE.search(text)
    if not m:
        return None
    return (int(m.group(1)), int(m.group(2), 16), int(m.group(3), 16), m.group(4) == "true",
            m.group(5) == "true", int(m.group(6), 16))


def catalogue(quobrix):
    out = subprocess.run([quobrix, "crc", "--list"], capture_output=True, text=True).stdout
    models = []
    for line in out.splitlines():
        p = parse_params(line)
        name = re.search(r'name="([^"]+)"', line)
        if p and name:
            models.append((name.group(1), p))
    return models


def frame_of(params, data, low_first, head, tail, rng):
    size = (params[0] + 7) // 8
    value = crc(params, data)
    check = value.to_bytes(size, "little" if low_first else "big")
    return bytes(rng.getrandbits(8) for _ in range(head)) + bytes(data) + check + bytes(
        rng.getrandbits(8) for _ in range(tail))


def run(quobrix, frames, extra=()):
    words = [quobrix, "find", *extra] + [f.hex() for f in frames]
    r = subprocess.run(words, capture_output=True, text=True)
    return r.returncode, r.stdout


def rand_bytes(rng, n):
    return bytes(rng.getrandbits(8) for _ in range(n))


def random_shapes(quobrix, rng, trials):
    shapes = [
        ("2 + 1 (12, 12, 18 bytes)", [12, 12, 18], ()),
        ("3 + 1 (12 x3, 18)", [12, 12, 12, 18], ()),
        ("2 + 2 (12 x2, 18 x2)", [12, 12, 18, 18], ()),
        ("3 x 40 bytes, --max-skip 16", [40, 40, 40], ("--max-skip", "16")),
        ("5 of 8-40 bytes", None, ()),
    ]
    rows = []
    for name, lengths, extra in shapes:
        explained = 0
        count = trials if not extra else max(10, trials // 5)
        for _ in range(count):
            ls = lengths or [rng.randint(8, 40) for _ in range(5)]
            frames = [rand_bytes(rng, n) for n in ls]
            code, _ = run(quobrix, frames, extra)
            explained += code == 0
        rows.append((name, explained, count))
    return rows


def reveng_claims(reveng, width, frames):
    """Whether CRC RevEng, searching every CRC of one width over the whole of
    each frame (`-w WIDTH -s`), prints a model for these frames."""
    r = subprocess.run([reveng, "-w", str(width), "-s"] + [f.hex() for f in frames],
                       capture_output=True, text=True, timeout=600)
    return "width=" in r.stdout


def structured_shapes(quobrix, rng, trials, reveng=None):
    """Frames of little variety and no check of their own: nothing should be
    named. Zero padding follows random data of 1 to 8 bytes."""
    def zeros():
        return [bytes(rng.randint(4, 40)) for _ in range(rng.randint(1, 4))]

    def erased():
        return [b"\xff" * rng.randint(4, 64) for _ in range(rng.randint(1, 4))]

    def padded():
        return [rand_bytes(rng, rng.randint(1, 8)) + bytes(rng.randint(8, 32)) for _ in range(rng.randint(3, 5))]

    def counters():
        return [bytes((start + i) & 0xFF for i in range(rng.randint(6, 40)))
                for start in (rng.getrandbits(8) for _ in range(rng.randint(3, 5)))]

    rows = []
    for name, make in (("all 00, 1 to 4 frames of 4-40 bytes", zeros), ("all FF, 1 to 4 frames of 4-64 bytes", erased),
                       ("1-8 random bytes then 8-32 zeros, 3 to 5 frames", padded),
                       ("counters, 3 to 5 frames of 6-40 bytes", counters)):
        named = 0
        claimed = {8: 0, 16: 0}
        for _ in range(trials):
            frames = make()
            code, _ = run(quobrix, frames)
            named += code == 0
            for width in claimed if reveng else ():
                claimed[width] += reveng_claims(reveng, width, frames)
        rows.append((name, named, trials, claimed))
    return rows


def named_recall(quobrix, rng, models, trials, count):
    first = 0
    for _ in range(trials):
        name, params = rng.choice(models)
        size = (params[0] + 7) // 8
        low_first = size > 1 and rng.random() < 0.5
        head, tail = rng.randint(0, 2), rng.randint(0, 2)
        frames = [frame_of(params, rand_bytes(rng, rng.randint(4, 40)), low_first, head, tail, rng)
                  for _ in range(count)]
        code, out = run(quobrix, frames)
        if code != 0:
            continue
        line = out.splitlines()[0]
        # Catalogue models that give the same check for every message are one
        # function under two names: the first line may name either.
        first_name = line.split(" ")[0]
        same = [n for n, p in models if p == params]
        if first_name in same or first_name == name:
            first += 1
    return first


def custom_params(rng, width, names):
    while True:
        refin = rng.random() < 0.5
        p = (width, rng.getrandbits(width) | 1, rng.getrandbits(width), refin, refin, rng.getrandbits(width))
        if p not in names:
            return p


def recovered(quobrix, rng, known, trials, count, widths):
    verified = wrong = weak = 0
    for _ in range(trials):
        width = rng.choice(widths)
        params = custom_params(rng, width, known)
        size = width // 8
        low_first = rng.random() < 0.5
        lengths = [12 if i % 2 == 0 else 17 for i in range(count)]
        frames = [frame_of(params, rand_bytes(rng, n), low_first, 1, 1, rng) for n in lengths]
        fresh = [frame_of(params, rand_bytes(rng, rng.randint(3, 30)), low_first, 1, 1, rng) for _ in range(3)]
        code, out = run(quobrix, frames, ("--search",))
        if code != 0:
            weak += 1
            continue
        for i, line in enumerate(out.splitlines()):
            p = parse_params(line)
            if p is None:
                continue
            m = re.search(r" (be|le|-) head=(\d+) tail=(\d+)", line)
            order, head, tail = m.group(1), int(m.group(2)), int(m.group(3))
            psize = (p[0] + 7) // 8
            ok = all(
                f[len(f) - tail - psize:len(f) - tail] == crc(p, f[head:len(f) - tail - psize]).to_bytes(
                    psize, "little" if order == "le" else "big") for f in fresh)
            if i == 0:
                verified += ok
            wrong += not ok
    return verified, wrong, weak


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("quobrix")
    ap.add_argument("--trials", type=int, default=150)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--structured-only", action="store_true", help="only the rows of frames of little variety")
    ap.add_argument("--reveng", help="CRC RevEng, to run on the same frames of little variety (a reference)")
    args = ap.parse_args()
    rng = random.Random(args.seed)
    if args.structured_only:
        if args.reveng:
            print("| frames | explained | RevEng `-w 8 -s` claims a model | RevEng `-w 16 -s` claims a model "
                  "| trials |")
            print("|---|---|---|---|---|")
        else:
            print("| frames | explained | trials |")
            print("|---|---|---|")
        for name, named, count, claimed in structured_shapes(args.quobrix, rng, args.trials, args.reveng):
            beside = f" {claimed[8]} | {claimed[16]} |" if args.reveng else ""
            print(f"| structured, {name} | {named} |{beside} {count} |")
        return
    models = catalogue(args.quobrix)
    known = {p for _, p in models}
    print("| frames | explained | trials |")
    print("|---|---|---|")
    for name, explained, count in random_shapes(args.quobrix, rng, args.trials):
        print(f"| random, {name} | {explained} | {count} |")
    for count in (3, 4):
        named = named_recall(args.quobrix, rng, models, args.trials, count)
        print(f"| catalogue check, {count} different frames: named first | {named} | {args.trials} |")
    for count, widths in ((4, (16, 32)), (5, (16, 32)), (6, (8, 16, 24, 32, 64))):
        ok, wrong, weak = recovered(args.quobrix, rng, known, args.trials // 3, count, widths)
        print(f"| uncatalogued CRC of {'/'.join(map(str, widths))} bits, {count} frames: first line verifies on fresh"
              f" frames / wrong lines printed / exit 1 | {ok} / {wrong} / {weak} | {args.trials // 3} |")
    for name, named, count, _ in structured_shapes(args.quobrix, rng, args.trials):
        print(f"| structured, {name} | {named} | {count} |")
    sys.stdout.flush()


if __name__ == "__main__":
    main()
