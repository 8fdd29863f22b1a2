#!/usr/bin/env python3
"""How often `quobrix find` recovers an uncatalogued CRC-16 from few frames,
searching everything and told what the user knows.

Usage: bench/find_narrowing.py QUOBRIX [--seeds N] [--first S] [--reveng PATH]

Each seed draws a reflected CRC-16 of random parameters the catalogue lacks
(refin and refout true) and frames of it: three of 6 data bytes and one of
9, the check low byte first, no head or tail. The same frames go to
`find` (everything), to `find --width 16 --order le --head 0 --tail 0`, and
to `find --only CRC-16 --head 0 --tail 0`. A line counts as recovered when
its parameters are the drawn ones, and as wrong when it fails on fresh
frames of 3 to 30 bytes. The CRCs are computed bit by bit here, apart from
the program measured. With --reveng, CRC RevEng (built from its public
source as a reference, never a dependency) is given the same frames told
`-w 16 -l` (width 16, reflected, the check low byte first), and its models
are counted the same way.
"""
import argparse
import os
import random
import re
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from find_evidence import parse_params, catalogue  # noqa: E402
from make_frames import crc  # noqa: E402

SEARCHES = [
    ("everything", []),
    ("--width 16 --order le --head 0 --tail 0", ["--width", "16", "--order", "le", "--head", "0", "--tail", "0"]),
    ("--only CRC-16 --head 0 --tail 0", ["--only", "CRC-16", "--head", "0", "--tail", "0"]),
]


def draw_params(rng, known):
    while True:
        params = (16, rng.getrandbits(16) | 1, rng.getrandbits(16), True, True, rng.getrandbits(16))
        if params not in known:
            return params


def frame_of(params, data):
    return bytes(data) + crc(params, data).to_bytes(2, "little")


def reveng_models(text):
    """The parameters of each model RevEng prints: width=16 poly=0x... ."""
    models = []
    for line in text.splitlines():
        fields = dict(re.findall(r"(\w+)=(\S+)", line))
        if {"width", "poly", "init", "refin", "refout", "xorout"} <= fields.keys():
            models.append((int(fields["width"]), int(fields["poly"], 16), int(fields["init"], 16),
                           fields["refin"] == "true", fields["refout"] == "true", int(fields["xorout"], 16)))
    return models


def holds_on_fresh(params, truth, rng):
    for _ in range(3):
        data = bytes(rng.getrandbits(8) for _ in range(rng.randint(3, 30)))
        if crc(params, data) != crc(truth, data):
            return False
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("quobrix")
    parser.add_argument("--seeds", type=int, default=30)
    parser.add_argument("--first", type=int, default=1)
    parser.add_argument("--reveng")
    args = parser.parse_args()
    searches = SEARCHES + ([("RevEng 3.0.6 `-w 16 -l`", None)] if args.reveng else [])
    known = {p for _, p in catalogue(args.quobrix)}
    # recovered, recovered alone (no other line), wrong lines, no answer
    counts = {name: [0, 0, 0, 0] for name, _ in searches}
    for seed in range(args.first, args.first + args.seeds):
        rng = random.Random(seed)
        truth = draw_params(rng, known)
        frames = [frame_of(truth, bytes(rng.getrandbits(8) for _ in range(n))) for n in (6, 6, 6, 9)]
        for name, options in searches:
            if options is None:
                r = subprocess.run([args.reveng, "-w", "16", "-l", "-s"] + [f.hex() for f in frames],
                                   capture_output=True, text=True)
                lines = reveng_models(r.stdout)
                answered = bool(lines)
            else:
                r = subprocess.run([args.quobrix, "find", *options] + [f.hex() for f in frames],
                                   capture_output=True, text=True)
                lines = [p for p in map(parse_params, r.stdout.splitlines()) if p]
                answered = r.returncode != 1
            counts[name][0] += truth in lines
            counts[name][1] += lines == [truth]
            counts[name][2] += sum(not holds_on_fresh(p, truth, random.Random(seed * 7919 + i))
                                   for i, p in enumerate(lines))
            counts[name][3] += not answered
    print(f"| Search ({args.seeds} seeds from {args.first}) | recovered | recovered alone | wrong lines "
          "| no answer (exit 1) |")
    print("| --- | ---: | ---: | ---: | ---: |")
    for name, _ in searches:
        recovered, alone, wrong, none = counts[name]
        print(f"| {name} | {recovered} | {alone} | {wrong} | {none} |")


if __name__ == "__main__":
    main()
