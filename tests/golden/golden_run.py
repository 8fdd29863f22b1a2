#!/usr/bin/env python3
"""Runs quobrix over a fixed corpus and writes one transcript of everything it
printed: every help text, every example of the help texts, the fifteen
dialog tools over a set of inputs, and crc, find, frame, num, array, random,
parts, filter, printf and modbus, their errors included. Each case records its exit
status and the exact bytes of standard output and standard error, so two
transcripts compare byte for byte.

A change that only moves code must leave the transcript as it is; the test
compares the program just built with the transcript kept beside this script.
A change meant to alter what is printed writes the transcript anew, and its
diff shows every output that changed.

Usage: golden_run.py QUOBRIX OUT          write the transcript to OUT
       golden_run.py QUOBRIX --check FILE compare with FILE; exit 1 and the
                                          first differences when they differ
"""
import difflib
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile

# The help texts' examples are found as the test that runs them finds them
# (no byte code left beside it in the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from help_examples_test import examples  # noqa: E402

DIALOG_TOOLS = ["sum8", "sum16", "crc8", "crc16", "crc32", "md5", "ascii2hex", "hexconv", "hex2ascii",
                "hex2float", "float2hex", "charcount", "upper", "lower", "reverse"]

# Inputs of the dialog's tools: (options, TEXT argument or None, standard input).
DIALOG_INPUTS = [
    ([], "123456789", b""),
    ([], None, b""),
    ([], None, b"123\n"),
    ([], "abc中文xyz", b""),
    ([], None, "ÀÉ中文ÀÉ – ①Ⅻ".encode("utf-8")),
    ([], "-1.5", b""),
    ([], "0.1", b""),
    ([], "1e39", b""),
    ([], "3.4028235e38", b""),
    (["--low-first"], "0.1", b""),
    (["--hex"], "31 32 33 34 35 36 37 38 39", b""),
    (["--hex"], "FF FF", b""),
    (["--hex"], "0x31,0x32 3 zz 4142", b""),
    (["--hex"], "D6D0CEC4", b""),
    (["--hex"], "41 00 42", b""),
    (["--hex"], "3F800000 40490FDB", b""),
    (["--hex", "--low-first"], "0000803F", b""),
    (["--hex"], "", b""),
    (["--ascii"], "Hello, World!", b""),
    (["--gbk"], None, b"\xd6\xd0\xce\xc4abc"),
    ([], None, b"\xff\xfe bad utf-8"),
    ([], None, b"\xef\xbb\xbfBOM first"),
    ([], None, b"line one\r\nline two\r\n"),
    ([], None, b"a" * 20481),
    ([], None, b"7" * 20480),
    (["--hex"], None, b"AB " * 30000),
]

CRC_CASES = [
    ["crc", "CRC-16/MODBUS", "--text", "123456789"],
    ["crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"],
    ["crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "be"],
    ["crc", "CRC-12/UMTS", "--text", "123456789", "--bytes", "be"],
    ["crc", "crc-32", "--hex", "0x31,0x32"],
    ["crc", "CRC-82/DARC", "--text", "123456789"],
    ["crc", "CRC-64/XZ", "--text", "中文", "--gbk"],
    ["crc", "CRC-64/XZ", "--text", "中文"],
    ["crc", "CCITT", "--text", "123456789"],
    ["crc", "CRC-CCITT", "--text", "1"],
    ["crc", "CRC-4/ITU", "--text", "123456789"],
    ["crc", "CRC-16/MODBUSS", "--text", "1"],
    ["crc", "nonsense", "--text", "1"],
    ["crc", "--list"],
    ["crc", "--list", "--text", "1"],
    ["crc", "CRC-16/MODBUS", "--emit", "c"],
    ["crc", "CRC-82/DARC", "--emit", "c"],
    ["crc", "CRC-5/USB", "--emit", "c"],
    ["crc", "CRC-16/MODBUS", "--emit", "x"],
    ["crc", "CRC-16/MODBUS", "--bytes", "xx", "--text", "1"],
    ["crc", "--width", "16", "--poly", "8005", "--init", "ffff", "--refin", "true", "--text", "123456789"],
    ["crc", "--width", "0", "--poly", "1", "--text", "1"],
    ["crc", "--width", "83", "--poly", "1", "--text", "1"],
    ["crc", "--width", "8", "--poly", "1ff", "--text", "1"],
    ["crc", "--width", "8", "--poly", "zz", "--text", "1"],
    ["crc", "--width", "8", "--poly", "7", "--refin", "maybe", "--text", "1"],
    ["crc", "--width", "8", "--text", "1"],
    ["crc", "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000 check=0x4b37",
     "--text", "123456789"],
    ["crc", "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000 check=0x4b38",
     "--text", "123456789"],
    ["crc", "width=16 poly=0x8005 bogus=1", "--text", "1"],
    ["crc", "CRC-32/MPEG-2", "firmware.bin"],
    ["crc", "CRC-32/MPEG-2", "firmware.bin", "missing.bin", "firmware.bin"],
    ["crc", "CRC-32/MPEG-2", "line\nbreak.bin"],
    ["crc", "CRC-32/MPEG-2", "--text", "a", "--hex", "01"],
    ["crc", "CRC-32/MPEG-2", "--text", "a", "firmware.bin"],
    ["crc", "CRC-32/MPEG-2", "--gbk", "--hex", "01"],
    ["crc", "CRC-32/MPEG-2", "--text", "a", "--text", "b"],
    ["crc"],
    ["crc", "CRC-32", "--bogus"],
    ["crc", "CRC-32", "--text"],
    ["crc", "CRC-32", "--widht", "16"],
    ["crc", "--list=1"],
    ["crc", "CRC-16/MODBUS", "--width", "16", "--poly", "8005", "--text", "a"],
    ["crc", "--width", "16", "--poly", "123456789012345678901234567890123", "--text", "a"],
    ["crc", "width=16 poly=0x123456789012345678901234567890123 init=0 refin=false refout=false xorout=0",
     "--text", "a"],
]

FIND_CASES = [
    ["find", "00 00 00 00 00 00 00 00"],
    ["find", "68 00 00 00 00 00 00 68 16"],
    ["find", "FF FF FF FF FF FF FF FF", "FF FF FF FF"],
    ["find", "01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"],
    ["find", "01 03 00 00 00 0A C5 CD", "11 03 00 6B 00 03 76 87", "--json"],
    ["find", "01 03 00 00 00 0A C5 CD"],
    ["find", "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9", "AA 31 32 33 31 D5 00 00 A9"],
    ["find", "01 22 03 44 05", "16 07 38 09 5A", "--no-search"],
    ["find", "01 22 03 44 05", "16 07 38 09 5A", "--max-skip", "1"],
    ["find", "0102030405", "0102030405"],
    ["find", "01", "03", "00"],
    ["find", "zz"],
    ["find", "--max-skip", "x", "01 02"],
    ["find", "--only", "CRC-16/MODBUS", "--head", "0", "--tail", "0", "01 03 00 00 00 0A C5 CD"],
    ["find", "--only", "crc-16/modbus", "01 03 00 00 00 0A C5 CD"],
    ["find", "--only", "SUM-8/TWOS", "--head", "1", "--frames-end", "0D 0A", "3A 01 03 00 00 00 0A F2 0D 0A",
     "3A 11 03 00 6B 00 03 7E 0D 0A"],
    ["find", "--width", "16", "--order", "le", "--head", "0", "--tail", "0", "--no-search", "01 22 03 44 05",
     "16 07 38 09 5A"],
    ["find", "--frames-end", "0D 0A", "01 02 0D 0A", "01 02 0A 0D"],
    ["find", "--only", "CRC-16", "--width", "32", "01 02"],
    ["find", "--only", "bogus", "01 02"],
    ["find", "--head", "5", "--max-skip", "4", "01 02"],
    ["find"],
    ["find", "--text", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
     "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48"],
    ["find", "--text", ":1103006B00037E\\r\\n", ":01030000000AF2\\r\\n", ":010600010003F5\\r\\n"],
    ["find", "--text", "--all", ":1103006B00037E", ":01030000000AF2"],
    ["find", "--text", "--json", "abc*12"],
    ["find", "--text", "ab\\q"],
]

FRAME_CASES = [
    ["frame", "CRC-16/XMODEM", "--order", "be", "--head", "AA", "--tail", "00 00 A9",
     "31", "32", "33", "34", "35", "36", "37", "38", "39"],
    ["frame", "CRC-16/MODBUS le head=0 tail=0", "11", "03", "00", "6B", "00", "03"],
    ["frame", "CRC-16/MODBUS", "--order", "le", "--verify", "01", "03", "00", "00", "00", "0A", "C5", "CE"],
    ["frame", "CRC-16/MODBUS", "--order", "le", "--verify", "01", "03", "00", "00", "00", "0A", "C5", "CD"],
    ["frame", "SUM-8", "01 02 03"],
    ["frame", "XOR-8", "--verify", "01 02 03 00"],
    ["frame", "ADLER-32", "--order", "be", "61 62 63"],
    ["frame", "FLETCHER-16", "--order", "le", "61 62 63"],
    ["frame", "INET-16", "--order", "be", "45 00 00 1c"],
    ["frame", "CRC-16/MODBUS", "01"],
    ["frame", "CRC-16/MODBUS", "--order", "xx", "01"],
    ["frame", "NOPE-1", "01"],
    ["frame"],
    ["frame", "CRC-16/MODBUS - head=0 tail=0", "01"],
    ["frame", "CRC-16/MODBUS", "--order", "-", "01"],
    ["frame", "XOR-8 - head=0 tail=0", "01 02"],
    ["frame", "XOR-8", "--order", "-", "01 02"],
    ["frame", "SUM-8", "--head", "AA", "--head", "BB", "01"],
    ["frame", "SUM-8", "--verify=1", "01"],
    ["frame", "--text", "XOR-8 text from=$ to=* hex2", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*"],
    ["frame", "--text", "XOR-8 text from=$ to=* hex2 crlf", "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"],
    ["frame", "--text", "XOR-8 text from=$ to=* hex2", "--verify",
     "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B"],
    ["frame", "--text", "SUM-8/TWOS text from=: to=none hex2 pairs", "--verify", ":1103006B00037E"],
    ["frame", "--text", "XOR-8 hex4", "abc"],
]

NUM_CASES = [
    ["num", "00", "00", "41", "20"],
    ["num", "41 20 00 00"],
    ["num", "--type", "float32", "--order", "CDAB", "00", "00", "41", "20"],
    ["num", "--type", "float32", "--order", "CDAB", "--from", "230.5"],
    ["num", "01 02"],
    ["num", "3F F0 00 00 00 00 00 00"],
    ["num", "--type", "int16", "--from", "-2"],
    ["num", "--type", "uint64", "--from", "18446744073709551615"],
    ["num", "--type", "float64", "--from", "nan"],
    ["num", "--type", "float64", "--from", "-inf"],
    ["num", "--type", "float64", "--from", "1e400"],
    ["num", "--type", "int8", "--from", "1"],
    ["num", "--type", "int16", "--from", "70000"],
    ["num", "01 02 03"],
    ["num", "gg"],
    ["num", "--from"],
    ["num"],
    ["num", "--type", "int16", "--type", "int32", "01 02"],
    ["num", "41 20 00 0g"],
    ["printf", "%08.3f|%-5hhd|%#x", "3.14159", "300", "255"],
    ["printf", "%d %i %u %o %x %X %c %s %%\\n", "-1", "0x10", "-1", "8", "255", "255", "A", "text"],
    ["printf", "--", "%e|%E|%g|%G|%a|%A|%F\\n", "1e300", "-0.0001", "1e-5", "123456789", "0.1", "-inf", "nan"],
    ["printf", "%Le|%La|%Lg\\n", "1e4000", "1", "0x1p-16445"],
    ["printf", "%p|%10p|%-*d|%.*s|%lc%ls\\n", "0x7ffc1234", "0", "-4", "7", "2", "abc", "中", "文字"],
    ["printf", "--explain", "%*.*f|%hhu|%%|%s", "9", "2", "2.5", "-1", "x"],
    ["printf", "--raw", "a\\n%d", "1"],
    ["printf", "%d %d", "1"],
    ["printf", "%d", "1", "2"],
    ["printf", "%hhd", "abc"],
    ["printf", "%n"],
    ["printf", "%q"],
    ["printf", "a\\q"],
    ["printf"],
]

MODBUS_CASES = [
    ["modbus", "decode", "01 03 00 00 00 0A C5 CD"],
    ["modbus", "decode", ":1103006B00037E\r\n"],
    ["modbus", "decode", "--mode", "ascii", ":1103006B00037F"],
    ["modbus", "decode", "--as", "u32:cdab", "--as", "f32", "00 01 00 00 00 0B 01 10 00 64 00 02 04 F5 C3 40 48"],
    # A name in a read's answer (the CRC worked out bit by bit apart from the program).
    ["modbus", "decode", "--as", "string", "01 03 06 50 55 4D 50 2D 37 6A D2"],
    ["modbus", "decode", "01 83 02 C0 F1", "01 2B 0E 01 00 70 77", "01 63 00 00 F1 C6", "01 03 02 00"],
    ["modbus", "decode"],
    ["modbus", "decode", "zz"],
    ["modbus", "decode", "--mode", "udp", "01 03"],
    ["modbus", "decode", "--as", "f33", "01 03"],
    ["modbus", "decode", "--as", "f32:abca", "01 03"],
    ["modbus", "decode", "--unit", "1", "01 03"],
    ["modbus", "reed"],
    ["modbus"],
    ["modbus", "read", "--holding", "0"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--rtu", "/dev/null", "--holding", "0"],
    ["modbus", "read", "--tcp", "127.0.0.1:99999", "--holding", "0"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--baud", "9600", "--holding", "0"],
    ["modbus", "read", "--tcp", "127.0.0.1"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--holding", "0", "126"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--coils", "65535", "2"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--ref", "20001"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--holding", "0", "--unit", "0"],
    ["modbus", "read", "--tcp", "127.0.0.1", "--holding", "0", "--times", "2"],
    ["modbus", "write", "--tcp", "127.0.0.1", "--input-regs", "0", "1"],
    ["modbus", "write", "--tcp", "127.0.0.1", "--holding", "0"],
    ["modbus", "write", "--tcp", "127.0.0.1", "--coils", "0", "--as", "f32:abcd", "1"],
    ["modbus", "serve", "--tcp", "1502"],
    ["modbus", "serve", "--tcp", "1502", "--map", "missing.map"],
]

ARRAY_CASES = [
    ["array", "firmware.bin"],
    ["array", "firmware.bin", "--type", "u32be", "--pad", "--crc", "--header", "--per-line", "2"],
    ["array", "firmware.bin", "--type", "u16le", "--decimal", "--static", "--mutable", "--pad"],
    ["array", "--name", "x", "--hex", "00 ff 7f 80"],
    ["array", "--reverse", "--text", "{ 0x31, '2', 51, 064, 0b110101 }"],
    ["array", "--reverse", "--type", "u16be", "--text", "/* */ const uint16_t a[] = { 0x3132, -1 };"],
    ["array", "firmware.bin", "--type", "u32le"],
    ["array", "firmware.bin", "--type", "u64"],
    ["array", "--name", "1x", "--text", "a"],
    ["array", "--reverse", "--text", "{1,\n 2 x}"],
    ["array", "--reverse", "--text", "{256}"],
    ["array", "--reverse", "--header"],
    ["array", "missing.bin"],
    ["array", "firmware.bin", "-o", "firmware.c"],
    ["array", "--reverse", "--text", "{1,\n 2 x}", "--output", "firmware.c"],
    ["array", "--text", "a", "-o", "no/such/folder.c"],
]

RANDOM_CASES = [
    ["random", "--count", "10", "--range", "1..6", "--seed", "1"],
    ["random", "--count", "4", "--range", "-9223372036854775808..9223372036854775807", "--seed", "2"],
    ["random", "--count", "5", "--range", "1..5", "--unique", "--seed", "3"],
    ["random", "--count", "5", "--range", "0..0xFFFFFFFF", "--sort", "--seed", "4"],
    ["random", "--count", "3", "--float", "-1..1", "--seed", "5"],
    ["random", "--count", "20", "--bytes", "--seed", "6", "--format", "c"],
    ["random", "--count", "7", "--range", "1..6", "--unique"],
    ["random", "--range", "1..x"],
    ["random", "--float", "1..1"],
    ["random", "--range", "1..6", "--format", "hex"],
    ["random"],
]

PARTS_CASES = [
    ["parts", "--series", "E24", "4.8k"],
    ["parts", "--series", "E192", "9.19k"],
    ["parts", "2u2F"],
    ["parts", "divider", "12", "3.3"],
    ["parts", "divider", "--ratio", "0.5", "--series", "E6", "--total", "1k..10k"],
    ["parts", "code", "r", "4R7"],
    ["parts", "code", "c", "479"],
    ["parts", "code", "l", "R47"],
    ["parts", "code", "r", "brown", "black", "orange"],
    ["parts", "mark", "r", "0.47"],
    ["parts", "mark", "c", "4.7p"],
    ["parts", "mark", "r", "0.47", "--tolerance", "20"],
    ["parts", "mark", "r", "1M", "--tolerance", "0.01", "--tempco", "1"],
    ["parts", "mark", "r", "4k7", "--tempco", "30"],
    ["parts", "4.7x"],
    ["parts", "k"],
    ["parts"],
    ["parts", "divider", "3.3", "12"],
    ["parts", "code", "r", "98A"],
    ["filter", "rc", "--highpass", "50", "--r-series", "E96", "--c-series", "E12"],
    ["filter", "lc", "455k", "--count", "2"],
    ["filter", "sallen-key", "10k", "--q", "0.5", "--count", "2"],
    ["filter", "sallen-key", "--r1", "10k", "--r2", "10k", "--c1", "22n", "--c2", "11n"],
    ["filter", "rc", "1m"],
    ["filter", "rc", "--r", "1k"],
    ["filter", "notch", "50"],
]

# Every word reaches its command as typed: brackets, commas, braces, quotes,
# an empty word, a second "--", negative numbers before "--".
WORD_CASES = [
    ["printf", "[%d]", "5"],
    ["printf", "<%s><%s><%s>", "[a,b]", "{c,d}", "[]"],
    ["printf", "[]"],
    ["printf", ""],
    ["printf", "<%s>", ""],
    ["printf", "%f|%f|%g|%f", "-.5", "-inf", "-1e3", "-nan"],
    ["printf", "<%s><%s>", "--", "--help", "--"],
    ["printf", "%s", "-e5"],
    ["upper", "-.5"],
    ["upper", "--", "a", "--"],
    ["array", "[x]"],
    ["crc", "CRC-32/ISO-HDLC", "[x]", "x"],
    ["num", "--type", "[int16]", "01 02"],
    ["random", "--bytes", "--format", "lines"],
    ["random", "--count", "3", "--float", "0..1e-310", "--seed", "1"],
    ["random", "--count", "67108865", "--range", "1..9", "--unique"],
]

OTHER_CASES = [
    [],
    ["--version"],
    ["bogus"],
    ["CRC", "--text", "1"],
    ["sum9"],
    ["Upper", "abc"],
    ["--bogus"],
    ["sum8", "--bogus", "1"],
    ["sum8", "--", "-x"],
    ["sum8", "--hex", "--ascii", "1"],
    ["upper", "++"],
    ["sum8", "--help=1"],
]


def run(quobrix, args, stdin, cwd):
    result = subprocess.run([quobrix, *args], input=stdin, capture_output=True, cwd=cwd)
    return result.returncode, result.stdout, result.stderr


def shown(stream):
    """A stream's bytes, or for a long one its length, digest and first bytes."""
    if len(stream) <= 4096:
        return repr(stream)
    return "%d bytes sha256 %s, starting %r" % (len(stream), hashlib.sha256(stream).hexdigest(), stream[:64])


def record(lines, label, code, out, err):
    lines.append("### " + label)
    lines.append("exit %d" % code)
    lines.append("stdout " + shown(out))
    lines.append("stderr " + shown(err))


def help_commands(quobrix):
    top = subprocess.run([quobrix, "--help"], capture_output=True, text=True).stdout
    return re.findall(r"^  ([a-z][a-z0-9]+) {2,}", top, re.M)


def transcript(quobrix):
    lines = []
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "firmware.bin"), "wb") as f:
            f.write(b"123456789")
        with open(os.path.join(folder, "line\nbreak.bin"), "wb") as f:
            f.write(bytes(range(256)))
        # "[x]" beside "x": the one named is the one read.
        for name, content in (("[x]", b"[x] is read"), ("x", b"x is read")):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(content)
        commands = help_commands(quobrix)
        for words in [[]] + [[command] for command in commands]:
            code, out, err = run(quobrix, words + ["--help"], b"", folder)
            record(lines, json.dumps(words + ["--help"]), code, out, err)
        # The examples run in a folder of their own: some write files there.
        with tempfile.TemporaryDirectory() as examples_folder:
            os.symlink(quobrix, os.path.join(examples_folder, "quobrix"))
            env = dict(os.environ, PATH=examples_folder + os.pathsep + os.environ["PATH"])
            seen = set()
            for words in [[]] + [[command] for command in commands]:
                text = subprocess.run([quobrix, *words, "--help"], capture_output=True, text=True).stdout
                for command, _ in examples(text):
                    if command in seen:
                        continue
                    seen.add(command)
                    result = subprocess.run(["sh", "-c", command], capture_output=True, cwd=examples_folder,
                                            env=env)
                    record(lines, "$ " + command, result.returncode, result.stdout, result.stderr)
        for tool in DIALOG_TOOLS:
            for options, text, stdin in DIALOG_INPUTS:
                args = [tool] + options + ([] if text is None else ["--", text])
                code, out, err = run(quobrix, args, stdin, folder)
                label = json.dumps(args, ensure_ascii=False)
                if len(label) > 200:
                    label = label[:200] + "..."
                record(lines, "%s stdin %d bytes %r" % (label, len(stdin), stdin[:16]), code, out, err)
        for args in (CRC_CASES + FIND_CASES + FRAME_CASES + NUM_CASES + ARRAY_CASES + RANDOM_CASES +
                     MODBUS_CASES + PARTS_CASES + WORD_CASES + OTHER_CASES):
            code, out, err = run(quobrix, args, b"", folder)
            record(lines, json.dumps(args, ensure_ascii=False), code, out, err)
        # Frames and a CRC on standard input.
        stdin_cases = [
            (["find"], b"01 03 00 00 00 0A C5 CD\n11 03 00 6B 00 03 76 87\n"),
            (["find"], b"01 03 00 00 00 0A C5 CD\r\n\r\n11 03 00 6B 00 03 76 87\r\n"),
            (["crc", "CRC-32/ISO-HDLC"], b"123456789"),
            (["modbus", "decode"], b"# a capture\n11 03 00 6B 00 03 76 87\r\n\n11 03 06 AE 41 56 52 43 40 49 AD\n"),
            (["modbus", "decode"], b"11 03 00 6B 00 03 76 87\n11 03 06 AE\n"),
            (["crc", "CRC-32/ISO-HDLC", "-"], b"123456789"),
        ]
        for args, stdin in stdin_cases:
            code, out, err = run(quobrix, args, stdin, folder)
            record(lines, "%s stdin %r" % (json.dumps(args), stdin), code, out, err)
    return "\n".join(lines) + "\n"


def main(argv):
    if len(argv) == 3 and argv[2] != "--check":
        with open(argv[2], "w", encoding="utf-8") as f:
            f.write(transcript(os.path.abspath(argv[1])))
        return 0
    if len(argv) == 4 and argv[2] == "--check":
        with open(argv[3], encoding="utf-8") as f:
            expected = f.read()
        got = transcript(os.path.abspath(argv[1]))
        if got == expected:
            print("%d cases, 0 differ" % expected.count("### "))
            return 0
        diff = list(difflib.unified_diff(expected.splitlines(), got.splitlines(), "expected", "got", lineterm=""))
        print("\n".join(diff[:80]), file=sys.stderr)
        return 1
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
