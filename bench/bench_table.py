#!/usr/bin/env python3
"""Prints the results of scripts/bench as one markdown table.

Columns: what was measured, Quobrix's figure, the reference it is held
against, Quobrix's time divided by the reference's (below 1: faster), and the
goal with whether it is met. Engine speeds are in MB/s (10^6 bytes a second);
a time ratio of speeds is the reference's speed over Quobrix's.

Usage: bench_table.py BENCHMARKS_JSON PROCESSES_JSON:INPUT_LABEL...
                      --large-file LARGE_JSON:INPUT_LABEL... --find FIND_DIR --click ROWS_FILE
                      [--page PAGE_JSON]
                      [--array ARRAY_JSON] [--random RANDOM_JSON]
BENCHMARKS_JSON is Google Benchmark's JSON output with repetitions (medians
are used), each PROCESSES_JSON the output of process_timer for one input file,
each LARGE_JSON that of `quobrix crc` beside rhash and cksum on one large file,
FIND_DIR the folder of `quobrix find`'s timings (processes-find-*.json)
and of what its recovery printed (find-*.out beside find-*.expected),
ROWS_FILE the markdown rows of scripts/click-latency, or a missing file,
PAGE_JSON what bench/page_bench.py measured of quobrix.html in headless
Chromium (its rows are held against the native table path and `quobrix
find` from the same run).
"""
import statistics
import argparse
import json
import os

REPORT_GOAL_MS = 1.0

# Benchmark name, what the row says, and the reference benchmark if any.
FULL = "20480 bytes"
ENGINES = [
    ("Engine/Checksum8", "8-bit checksum, " + FULL, None),
    ("Engine/Checksum16", "16-bit checksum, " + FULL, None),
    ("Engine/Crc8", "CRC-8, " + FULL, None),
    ("Engine/Crc16", "CRC-16, " + FULL, None),
    ("Engine/Crc32", "CRC-32, " + FULL, ("ZlibCrc32", "zlib crc32")),
    ("Engine/Md5", "MD5, " + FULL, None),
    ("Engine/HexTextToBytes", "hex decoder, \"%02X \" text of " + FULL, None),
    ("Engine/HexDump", "hex dump writer, " + FULL + " dumped", None),
    ("Engine/Upper", "upper case, " + FULL + " of GBK text", None),
    ("Engine/Lower", "lower case, " + FULL + " of GBK text", None),
    ("Engine/Reverse", "reversal, " + FULL + " of GBK text", None),
    ("Engine/CharStats", "character statistics, " + FULL + " of GBK text", None),
]

REPORTS = [
    ("Sum8", "8-bit checksum"), ("Sum16", "16-bit checksum"), ("Crc8", "CRC-8"),
    ("Crc16", "CRC-16"), ("Crc32", "CRC-32"), ("Md5", "MD5"), ("Ascii2Hex", "Ascii->Hex"),
    ("Hex2Ascii", "Hex->Ascii"), ("HexConv", "hex conversion"), ("Hex2Float", "Hex->Float"),
    ("Float2Hex", "Float->Hex"), ("Upper", "upper case"), ("Lower", "lower case"),
    ("Reverse", "reversal"), ("CharCount", "character count"),
]

# The generic CRC engine on 64 MiB in memory, each model beside crcutil set
# up with the same parameters (widths 8 to 64, reflected and not), with the
# goal of three times its speed.
CRC_ENGINE_MODELS = ["CRC-8/SMBUS", "CRC-16/MODBUS", "CRC-16/XMODEM", "CRC-24/OPENPGP", "CRC-32/ISO-HDLC",
                     "CRC-32/ISCSI", "CRC-32/MPEG-2", "CRC-40/GSM", "CRC-64/XZ", "CRC-64/ECMA-182"]

# Recovering an unknown CRC from four frames of up to 256 bytes, in process:
# benchmark, what the row says, and the goal in milliseconds. RevEng publishes
# no timings to set beside these (docs/performance.md).
RECOVERY = [
    ("Recover/CRC-16", "CRC-16 parameters recovered from 4 frames of 255-256 bytes", 100.0),
    ("Recover/CRC-32", "CRC-32 parameters recovered from 4 frames of 255-256 bytes", 1000.0),
    ("NothingFits", "recovery finding no CRC-16 in 4 frames of 255-256 bytes", None),
]

# Quobrix's command, the reference command and whether "no slower" is a goal.
PROCESSES = [
    ("md5", "md5sum", True),
    ("ascii2hex", "xxd -i", True),
    ("ascii2hex", "xxd -p", False),
]

# `quobrix crc` on a large file: the reference program, the goal as the table
# says it, and whether a time ratio (ours over theirs) meets it.
LARGE_FILE_REFERENCES = [
    ("rhash", "faster", lambda ratio: ratio < 1.0),
    ("cksum", "no slower", lambda ratio: ratio <= 1.0),
]

# `quobrix find` as a process: the timing's name, what the row says, the
# goal in milliseconds, and whether recovery must have found the parameters.
FIND_FRAMES = "3 frames of 256 bytes"
FIND = [
    ("hit", "quobrix find, " + FIND_FRAMES + " (CRC-32 between a start and an end byte)", 20, False),
    ("miss", "quobrix find --no-search, " + FIND_FRAMES + " that nothing explains", 20, False),
    ("crc16", "quobrix find --search, 5 frames of a 16-bit CRC not catalogued", 100, True),
    ("crc32", "quobrix find --search, 4 frames of a 32-bit CRC not catalogued", 1000, True),
    ("files", "quobrix find (recovery by default), 5 frames of 1.2-16 KB of a 32-bit CRC not catalogued, "
     "no two of one length (RevEng: 14 ms reported, not run here)", 1000, True),
    ("random-1k", "quobrix find --search, 3 random frames of 1 KiB", 1000, False),
    ("random-4k", "quobrix find --search, 3 random frames of 4 KiB", 1000, False),
    ("random-16k", "quobrix find --search, 3 random frames of 16 KiB", 2000, False),
    ("random-64k", "quobrix find --search, 3 random frames of 64 KiB", 20000, False),
]

# The parts searches of quobrix parts and quobrix filter (a page runs them at
# each keystroke), each beside the brute force over every combination that
# the tests hold it to, with the goal of a dialog's report.
PARTS = [
    ("Divider", "divider 12 V -> 3.3 V from E96, R1 + R2 in 1k..1M", "every E96 pair"),
    ("Pairs", "best pair in series and in parallel for 4.8k from E192", "every E192 pair"),
    ("SallenKey", "Sallen-Key 1 kHz Butterworth, R from E24, C from E6", "every R1 R2 C1 C2"),
]

# The link's framer on 16 MiB of received frames in 4 KiB reads, each rule,
# with its goal.
FRAMER_RULES = [(0, "silence (gap)"), (1, "start and end bytes"), (2, "length field"), (3, "line ends")]
FRAMER_GOAL_MB_S = 100.0

TIME_UNITS_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    return {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}


def mb_per_s(run):
    return run["bytes_per_second"] / 1e6


def ms(run):
    return run["real_time"] * TIME_UNITS_MS[run["time_unit"]]


def row(*cells):
    return "| " + " | ".join(cells) + " |"


def engine_rows(bench):
    for name, label, reference in ENGINES:
        ours = mb_per_s(bench[name])
        if reference:
            theirs = mb_per_s(bench[reference[0]])
            yield row("Engine: %s" % label, "%.0f MB/s" % ours,
                      "%s: %.0f MB/s" % (reference[1], theirs), "%.2f" % (theirs / ours), "-")
        else:
            yield row("Engine: %s" % label, "%.0f MB/s" % ours, "-", "-", "-")


CRC_ENGINE_GOAL = 3.0  # times crcutil's speed

# Each path of the engine forced, on 64 MiB, where the processor offers it.
CRC_PATHS = [("tables", "byte tables"), ("pclmul", "PCLMULQDQ, 128-bit"),
             ("vpclmul512", "VPCLMULQDQ, 512-bit")]
CRC_PATH_MODELS = ["CRC-32/ISO-HDLC", "CRC-32/MPEG-2"]


def crc_engine_rows(bench):
    for model in CRC_ENGINE_MODELS:
        ours = mb_per_s(bench["CrcEngine/" + model])
        theirs = mb_per_s(bench["Crcutil/" + model])
        ratio = theirs / ours
        met = ratio <= 1.0 / CRC_ENGINE_GOAL
        yield row("Engine: %s, 64 MiB" % model, "%.0f MB/s" % ours, "crcutil: %.0f MB/s" % theirs,
                  "%.2f" % ratio, ">= %gx crcutil: %s" % (CRC_ENGINE_GOAL, "met" if met else "MISSED"))
    zlib = mb_per_s(bench["Zlib/CRC-32/ISO-HDLC"])
    ours = mb_per_s(bench["CrcEngine/CRC-32/ISO-HDLC"])
    yield row("Engine: CRC-32/ISO-HDLC, 64 MiB", "%.0f MB/s" % ours, "zlib crc32: %.0f MB/s" % zlib,
              "%.2f" % (zlib / ours), "-")
    read = mb_per_s(bench["MemoryRead/64 MiB"])
    for model in CRC_PATH_MODELS:
        for path, label in CRC_PATHS:
            run = bench.get("CrcPath/%s/%s" % (path, model))
            if run is None:
                continue  # not offered by this processor
            ours = mb_per_s(run)
            yield row("Engine: %s, 64 MiB, %s" % (model, label), "%.0f MB/s" % ours,
                      "plain read: %.0f MB/s" % read, "%.2f" % (read / ours), "-")
    yield row("Limit: plain read of the 64 MiB, 16 bytes at a time", "%.0f MB/s" % read, "-", "-", "-")
    yield row("Limit: memcpy of the 64 MiB", "%.0f MB/s" % mb_per_s(bench["Memcpy/64 MiB"]), "-", "-", "-")


def report_rows(bench):
    for name, label in REPORTS:
        run = bench["Report/" + name]
        t = ms(run)
        yield row("Report: %s, full buffer (%d-byte report)" % (label, run["report_bytes"]),
                  "%.3f ms" % t, "goal: %g ms" % REPORT_GOAL_MS, "%.2f" % (t / REPORT_GOAL_MS),
                  "under %g ms: %s" % (REPORT_GOAL_MS, "met" if t < REPORT_GOAL_MS else "MISSED"))


# The GCD recovery takes, by division steps beside Euclid's algorithm (the
# way it was taken before), on two random polynomials of each size.
GCD_SIZES = [("1024", "1 KiB"), ("16384", "16 KiB")]


def gcd_rows(bench):
    for size, label in GCD_SIZES:
        ours, euclid = ms(bench["GcdByDivisionSteps/" + size]), ms(bench["GcdByEuclid/" + size])
        yield row("Engine: GCD of two random polynomials of %s" % label, "%.3f ms" % ours,
                  "Euclid by shifts: %.3f ms" % euclid, "%.2f" % (ours / euclid), "-")


def parts_rows(bench):
    for name, label, reference in PARTS:
        ours, theirs = ms(bench["Parts/" + name]), ms(bench["PartsBruteForce/" + name])
        yield row("Engine: %s" % label, "%.3f ms" % ours, "brute force, %s: %.3f ms" % (reference, theirs),
                  "%.4f" % (ours / theirs),
                  "under %g ms: %s" % (REPORT_GOAL_MS, "met" if ours < REPORT_GOAL_MS else "MISSED"))


def recovery_rows(bench):
    for name, label, goal in RECOVERY:
        t = ms(bench[name])
        if goal is None:
            yield row("Engine: %s" % label, "%.3f ms" % t, "-", "-", "-")
        else:
            yield row("Engine: %s" % label, "%.3f ms" % t, "RevEng: no published figure", "-",
                      "under %g ms: %s" % (goal, "met" if t < goal else "MISSED"))


# quobrix printf's formatter, from the arguments' text, beside glibc's
# snprintf of the same values already typed: benchmark suffix and format.
PRINTF = [("Integers", "%d|%-5hhd|%#x|%lu|%8.3o"), ("Doubles", "%08.3f|%e|%g|%a"),
          ("LongDoubles", "%Lf|%.20Le of 1e300 and 0.1"), ("HugePrecision", "%.65536g of 0.1"),
          ("HugeTinyLongDouble", "%.65536Le of 2^-16445"), ("HugeLargeLongDouble", "%.65536Lf of LDBL_MAX")]


def printf_rows(bench):
    for name, label in PRINTF:
        ours, theirs = ms(bench["Printf/" + name]) * 1000, ms(bench["GlibcSnprintf/" + name]) * 1000
        yield row("Engine: printf %s" % label, "%.2f us" % ours, "glibc snprintf: %.2f us" % theirs,
                  "%.2f" % (ours / theirs), "-")


def process_rows(path, input_label):
    with open(path) as f:
        runs = json.load(f)
    by_tail = {}
    for r in runs:
        words = r["command"].split(" ")
        key = " ".join([os.path.basename(words[0])] + words[1:])
        by_tail[key] = r
    for tool, reference, is_goal in PROCESSES:
        ours, theirs = by_tail["quobrix " + tool], by_tail[reference]
        ratio = ours["median_ms"] / theirs["median_ms"]
        goal = "no slower: %s" % ("met" if ratio <= 1.0 else "MISSED") if is_goal else "-"
        yield row("Process: quobrix %s < %s" % (tool, input_label),
                  "%.2f ms (p10-p90 %.2f-%.2f)" % (ours["median_ms"], ours["p10_ms"], ours["p90_ms"]),
                  "%s: %.2f ms (p10-p90 %.2f-%.2f)" % (reference, theirs["median_ms"],
                                                      theirs["p10_ms"], theirs["p90_ms"]),
                  "%.2f" % ratio, goal)


def timing(run):
    return "%.1f ms (p10-p90 %.1f-%.1f)" % (run["median_ms"], run["p10_ms"], run["p90_ms"])


def large_file_rows(path, input_label):
    with open(path) as f:
        runs = json.load(f)
    by_program = {os.path.basename(r["command"].split(" ")[0]): r for r in runs}
    ours = by_program["quobrix"]
    for reference, goal, is_met in LARGE_FILE_REFERENCES:
        theirs = by_program[reference]
        ratio = ours["median_ms"] / theirs["median_ms"]
        # The reference's command without the file's path.
        command = " ".join(theirs["command"].split(" ")[:-1])
        yield row("Process: quobrix crc CRC-32/ISO-HDLC FILE, %s" % input_label, timing(ours),
                  "%s FILE: %s" % (command, timing(theirs)), "%.2f" % ratio,
                  "%s: %s" % (goal, "met" if is_met(ratio) else "MISSED"))


def find_rows(folder):
    for name, label, goal_ms, recovers in FIND:
        with open(os.path.join(folder, "processes-find-%s.json" % name)) as f:
            ours = json.load(f)[0]
        ratio = ours["median_ms"] / goal_ms
        goal = "under %g ms: %s" % (goal_ms, "met" if ratio < 1.0 else "MISSED")
        if recovers:
            with open(os.path.join(folder, "find-%s.expected" % name)) as f:
                expected = f.read().strip()
            with open(os.path.join(folder, "find-%s.out" % name)) as f:
                if expected not in f.read():
                    goal += "; the parameters were NOT recovered"
        yield row("Process: %s" % label, timing(ours), "goal: %g ms" % goal_ms, "%.2f" % ratio, goal)


# quobrix array on the 64 MiB file beside xxd -i: at least five times as fast.
ARRAY_GOAL_RATIO = 0.2
# quobrix random: a million integers as a whole process, in milliseconds.
RANDOM_GOAL_MS = 100.0


def by_command(path):
    with open(path) as f:
        runs = json.load(f)
    return {" ".join([os.path.basename(r["command"].split(" ")[0])] + r["command"].split(" ")[1:-1]): r
            for r in runs}


def array_rows(path):
    runs = by_command(path)
    ours, theirs = runs["quobrix array"], runs["xxd -i"]
    ratio = ours["median_ms"] / theirs["median_ms"]
    yield row("Process: quobrix array FILE, 64 MiB file", timing(ours), "xxd -i FILE: %s" % timing(theirs),
              "%.2f" % ratio, "5x faster: %s" % ("met" if ratio <= ARRAY_GOAL_RATIO else "MISSED"))


def random_rows(path, bench):
    with open(path) as f:
        runs = json.load(f)
    shuf = [r for r in runs if r["command"].startswith("shuf")][0]
    for r in runs:
        if r is shuf:
            continue
        words = r["command"].split(" ")
        seeded = "--seed" in words
        label = "a million integers, %s" % ("--seed (xoshiro256**)" if seeded else "the system's generator")
        ratio = r["median_ms"] / shuf["median_ms"]
        yield row("Process: quobrix random, %s" % label, timing(r),
                  "shuf -r -n 1000000 -i 1-1000000: %s" % timing(shuf), "%.2f" % ratio,
                  "under %g ms: %s" % (RANDOM_GOAL_MS, "met" if r["median_ms"] < RANDOM_GOAL_MS else "MISSED"))
    run = bench.get("RandomIntegersMillion")
    if run is not None:
        yield row("Engine: a million integers in 1..1000000 (xoshiro256**, Lemire)", "%.2f ms" % ms(run), "-", "-",
                  "under %g ms: %s" % (RANDOM_GOAL_MS, "met" if ms(run) < RANDOM_GOAL_MS else "MISSED"))
    for name, label in (("CArrayWrite", "C array writer, 16 MiB to text"),
                        ("CArrayRead", "C array reader, text of 16 MiB to bytes")):
        run = bench.get(name)
        if run is not None:
            yield row("Engine: %s" % label, "%.0f MB/s" % mb_per_s(run), "-", "-", "-")


def framer_rows(bench):
    for number, label in FRAMER_RULES:
        run = bench.get("Framer/rule:%d" % number)
        if run is None:
            continue
        ours = mb_per_s(run)
        yield row("Engine: link framer, %s, 16 MiB in 4 KiB reads" % label, "%.0f MB/s" % ours, "-", "-",
                  ">= %g MB/s: %s" % (FRAMER_GOAL_MB_S, "met" if ours >= FRAMER_GOAL_MB_S else "MISSED"))


def modbus_rows(path):
    """bench/modbus_bench.py's rows, as it printed them."""
    if not os.path.exists(path):
        yield row("MODBUS servers under load", "-", "-", "-", "not measured")
        return
    with open(path) as f:
        yield from (line.rstrip("\n") for line in f if line.startswith("| "))


def click_rows(path):
    if not os.path.exists(path):
        yield row("Click-to-report in the real window (Wine)", "-", "-", "-",
                  "not measured: scripts/click-latency does not exist yet")
        return
    with open(path) as f:
        lines = [line.rstrip("\n") for line in f if line.startswith("| ")]
    if not lines:
        yield row("Click-to-report in the real window (Wine)", "-", "-", "-",
                  "scripts/click-latency printed no rows")
    yield from lines


# The page's goals: speed in MB/s, times in milliseconds, size in MB.
PAGE_FILE_GOAL_MB_S = 1000.0
PAGE_FIND_GOAL_MS = 50.0
PAGE_RECOVERY_GOAL_MS = 200.0
PAGE_SIZE_GOAL_MB = 1.5
PAGE_READY_GOAL_MS = 300.0
NATIVE_TABLES = "CrcPath/tables/CRC-32/ISO-HDLC"
NATIVE_TABLES_BYTES = 64 << 20


def spread(runs):
    """The median and the runs' range, in milliseconds."""
    return "%.1f ms (%.1f-%.1f)" % (statistics.median(runs), min(runs), max(runs))


def met(ok):
    return "met" if ok else "MISSED"


def page_rows(path, bench, find_folder):
    with open(path) as f:
        page = json.load(f)
    # The page is timed by the clock; Google Benchmark's rate is per second
    # of the processor's time, which a loaded machine makes far apart: both
    # are shown, and the ratio is taken by the clock.
    tables = bench[NATIVE_TABLES]
    tables_clock = NATIVE_TABLES_BYTES / (ms(tables) * 1e3)
    for key, size_key, label, goal in (
            ("file_crc", "file_bytes", "CRC-32/ISO-HDLC of a 256 MiB file chosen in the page", PAGE_FILE_GOAL_MB_S),
            ("memory_crc", "memory_bytes", "the module's CRC-32/ISO-HDLC over 64 MiB in its memory", None)):
        ours = page[size_key] / statistics.median(page[key]) / 1e3
        yield row("Page (headless Chromium): %s" % label, "%.0f MB/s" % ours,
                  "native table path, 64 MiB: %.0f MB/s by the clock (%.0f MB/s of processor time)" % (
                      tables_clock, mb_per_s(tables)),
                  "%.2f" % (tables_clock / ours), ">= %g MB/s: %s" % (goal, met(ours >= goal)) if goal else "-")
    for key, process, label, goal in (
            ("find_hit", "hit", "Find over " + FIND_FRAMES + " (CRC-32 between a start and an end byte)",
             PAGE_FIND_GOAL_MS),
            ("find_crc32", "crc32", "Find recovering a 32-bit CRC not catalogued from 4 frames",
             PAGE_RECOVERY_GOAL_MS)):
        ours = statistics.median(page[key])
        with open(os.path.join(find_folder, "processes-find-%s.json" % process)) as f:
            theirs = json.load(f)[0]
        goal_text = "under %g ms: %s" % (goal, met(ours < goal))
        if key == "find_crc32" and not page["find_crc32_recovered"]:
            goal_text += "; the parameters were NOT recovered"
        yield row("Page (headless Chromium): %s, click to result" % label, spread(page[key]),
                  "quobrix find as a process: %.1f ms" % theirs["median_ms"],
                  "%.2f" % (ours / theirs["median_ms"]), goal_text)
    size = page["size_bytes"] / 1e6
    yield row("Page: quobrix.html's size", "%.2f MB" % size, "-", "-",
              "<= %g MB: %s" % (PAGE_SIZE_GOAL_MB, met(size <= PAGE_SIZE_GOAL_MB)))
    ready = statistics.median(page["ready"])
    yield row("Page (headless Chromium): opened from disk to ready to use", spread(page["ready"]), "-", "-",
              "under %g ms: %s" % (PAGE_READY_GOAL_MS, met(ready < PAGE_READY_GOAL_MS)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("benchmarks")
    parser.add_argument("processes", nargs="+", help="FILE:LABEL")
    parser.add_argument("--large-file", required=True, action="append", help="FILE:LABEL")
    parser.add_argument("--find", required=True)
    parser.add_argument("--click", required=True)
    parser.add_argument("--page")
    parser.add_argument("--array", help="process_timer's JSON of quobrix array beside xxd -i")
    parser.add_argument("--random", help="process_timer's JSON of quobrix random beside shuf")
    parser.add_argument("--modbus", help="bench/modbus_bench.py's rows")
    args = parser.parse_args()
    bench = medians(args.benchmarks)
    print(row("Measure", "Quobrix", "Reference", "Time ratio", "Goal"))
    print(row("---", "---:", "---", "---:", "---"))
    for line in engine_rows(bench):
        print(line)
    for line in crc_engine_rows(bench):
        print(line)
    for line in report_rows(bench):
        print(line)
    for line in recovery_rows(bench):
        print(line)
    for line in gcd_rows(bench):
        print(line)
    for line in parts_rows(bench):
        print(line)
    for line in printf_rows(bench):
        print(line)
    for line in framer_rows(bench):
        print(line)
    for argument in args.processes:
        path, label = argument.split(":", 1)
        for line in process_rows(path, label):
            print(line)
    for argument in args.large_file:
        path, label = argument.split(":", 1)
        for line in large_file_rows(path, label):
            print(line)
    if args.array:
        for line in array_rows(args.array):
            print(line)
    if args.random:
        for line in random_rows(args.random, bench):
            print(line)
    for line in find_rows(args.find):
        print(line)
    if args.page:
        for line in page_rows(args.page, bench, args.find):
            print(line)
    if args.modbus:
        for line in modbus_rows(args.modbus):
            print(line)
    for line in click_rows(args.click):
        print(line)


if __name__ == "__main__":
    main()
