#!/usr/bin/env python3
"""Writes the code page 936 (GBK) decoding table from Wine's c_936.nls.

The .nls file is a CPTABLEINFO image of little-endian 16-bit words:

  word 0       header size in words (13)
  word 1       code page (936)
  word 2       maximum character size in bytes (2)
  words 3-6    default characters (multibyte, Unicode, translated forms)
  words 7-12   lead byte ranges as byte pairs, ending in 00 00 (81 FE)
  word 13      offset in words from word 13 to the wide-char table
  words 14-269 the single byte table: 256 code points; 0 marks a lead byte
  then         the glyph table flag word, followed by 256 words when non-zero
  then         the DBCS range count, the 256-word offset table (per lead byte,
               in words from the start of that offset table) and, per lead
               byte, 256 code points indexed by the trail byte
  then         one flag word and the 65536-word wide-char-to-multibyte table

Undecodable pairs carry the default character '?' in the file. The output
keeps, per lead byte, the 191 code points of trail bytes 40-FE with 0 for an
undecodable pair (no pair decodes to U+0000), and the code points of the
single bytes 80-FF (0 for a lead byte); bytes 00-7F decode to themselves.

Usage: gen_gbk_table.py C_936_NLS OUT_CPP
       gen_gbk_table.py --python-samples C_936_NLS OUT_INC
The second form writes test data: sample pairs as Python's own gbk codec
decodes them, and a digest over all pairs outside the private use area.
"""
import struct
import sys

CODE_PAGE = 936
LEAD_FIRST, LEAD_LAST = 0x81, 0xFE
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFE
TRAIL_GAP = 0x7F  # never a trail byte
PUA_FIRST, PUA_LAST = 0xE000, 0xF8FF
EXPECTED_PAIRS = (LEAD_LAST - LEAD_FIRST + 1) * (TRAIL_LAST - TRAIL_FIRST)  # 126 x 190
EXPECTED_PUA_PAIRS = 2149
SAMPLE_STEP = 97  # every 97th pair goes to the Python sample set (prime: spreads over trail bytes)
FNV_OFFSET, FNV_PRIME = 0x811C9DC5, 0x01000193


def is_trail(byte):
    return TRAIL_FIRST <= byte <= TRAIL_LAST and byte != TRAIL_GAP


def fail(message):
    sys.exit("gen_gbk_table: " + message)


def read_table(path):
    """Returns (single byte code points [256], {(lead, trail): code point})."""
    with open(path, "rb") as f:
        data = f.read()
    words = struct.unpack("<%dH" % (len(data) // 2), data)
    header_size, code_page, max_char_size = words[0], words[1], words[2]
    if header_size != 13 or code_page != CODE_PAGE or max_char_size != 2:
        fail("not a double-byte code page 936 table")
    default_char = words[3]
    lead_ranges = struct.pack("<6H", *words[7:13])
    if lead_ranges[:4] != bytes([LEAD_FIRST, LEAD_LAST, 0, 0]):
        fail("unexpected lead byte ranges %s" % lead_ranges.hex())
    wide_table_at = 13 + words[13]

    singles = list(words[14:14 + 256])
    pos = 14 + 256
    pos += 1 + (256 if words[pos] else 0)  # glyph table
    if words[pos] == 0:
        fail("no DBCS ranges")
    offsets_at = pos + 1
    offsets = words[offsets_at:offsets_at + 256]

    pairs = {}
    for lead in range(256):
        is_lead = LEAD_FIRST <= lead <= LEAD_LAST
        if (singles[lead] == 0 and lead != 0) != is_lead:
            fail("byte %02X: single byte table disagrees with the lead ranges" % lead)
        if not is_lead:
            continue
        row = words[offsets_at + offsets[lead]:offsets_at + offsets[lead] + 256]
        for trail in range(256):
            if is_trail(trail):
                pairs[(lead, trail)] = row[trail]
            elif row[trail] != default_char:
                fail("pair %02X%02X outside the trail ranges decodes" % (lead, trail))
    if offsets_at + 256 * (1 + LEAD_LAST - LEAD_FIRST + 1) != wide_table_at:
        fail("the DBCS tables do not end where the wide-char table starts")
    wide = words[wide_table_at + 1:wide_table_at + 1 + 0x10000]
    return singles, pairs, wide


def check(singles, pairs, wide):
    for byte in range(0x80):
        if singles[byte] != byte:
            fail("byte %02X does not decode to itself" % byte)
    if len(pairs) != EXPECTED_PAIRS:
        fail("%d pairs, expected %d" % (len(pairs), EXPECTED_PAIRS))
    pua = sum(1 for cp in pairs.values() if PUA_FIRST <= cp <= PUA_LAST)
    if pua != EXPECTED_PUA_PAIRS:
        fail("%d private use pairs, expected %d" % (pua, EXPECTED_PUA_PAIRS))
    # Encoding inverts decoding: every code point must come from one sequence.
    seen = {}
    for byte in range(256):
        if singles[byte] or byte == 0:
            seen[singles[byte]] = bytes([byte])
    for (lead, trail), cp in pairs.items():
        if cp == 0 or cp in seen:
            fail("pair %02X%02X: code point %04X is not unique" % (lead, trail, cp))
        seen[cp] = bytes([lead, trail])
    # The file's own encoding table must agree on every decodable character.
    for cp, seq in seen.items():
        if wide[cp] != int.from_bytes(seq, "big"):
            fail("U+%04X encodes to %04X, decodes from %s" % (cp, wide[cp], seq.hex()))


def write_table(singles, pairs, source, target):
    out = [
        "// Generated by tools/gen_gbk_table.py from Wine's " + source.split("/")[-1] + ". Do not edit.",
        '#include "codepage/gbk_table.h"',
        "",
        "namespace gbk_table {",
        "",
        "const std::uint16_t kHighSingleBytes[kSingleByteCount] = {",
    ]
    high = singles[0x80:]
    for i in range(0, len(high), 8):
        out.append("    " + " ".join("0x%04X," % cp for cp in high[i:i + 8]))
    out.append("};")
    out.append("")
    out.append("const std::uint16_t kPairs[kLeadCount][kTrailCount] = {")
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        row = [pairs.get((lead, trail), 0) for trail in range(TRAIL_FIRST, TRAIL_LAST + 1)]
        out.append("    {  // lead %02X" % lead)
        for i in range(0, len(row), 12):
            out.append("        " + " ".join("0x%04X," % cp for cp in row[i:i + 12]))
        out.append("    },")
    out.append("};")
    out.append("")
    out.append("}  // namespace gbk_table")
    with open(target, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def write_python_samples(pairs, source, target):
    """Python's gbk codec is an independent decoder; it has no private use pairs."""
    samples = []
    digest = FNV_OFFSET
    count = 0
    for index, (lead, trail) in enumerate(sorted(pairs)):
        cp = pairs[(lead, trail)]
        if PUA_FIRST <= cp <= PUA_LAST:
            continue
        python_cp = ord(bytes([lead, trail]).decode("gbk"))
        if index % SAMPLE_STEP == 0:
            samples.append((lead, trail, python_cp))
        for part in (lead, trail, python_cp >> 8, python_cp & 0xFF):
            digest = ((digest ^ part) * FNV_PRIME) & 0xFFFFFFFF
        count += 1
    out = [
        "// Generated by tools/gen_gbk_table.py --python-samples, with Python's gbk",
        "// codec as the decoder. Do not edit.",
        "// Sample pairs: {lead, trail, code point}.",
        "#define GBK_PYTHON_SAMPLES \\",
    ]
    for lead, trail, cp in samples:
        out.append("    {0x%02X, 0x%02X, 0x%04X}, \\" % (lead, trail, cp))
    out.append("")
    out.append("// All pairs outside the private use area, in byte order: their count and the")
    out.append("// FNV-1a digest of lead, trail, code point high and low byte.")
    out.append("#define GBK_PYTHON_PAIR_COUNT %d" % count)
    out.append("#define GBK_PYTHON_PAIR_DIGEST 0x%08Xu" % digest)
    with open(target, "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def main(argv):
    samples_mode = len(argv) == 4 and argv[1] == "--python-samples"
    if len(argv) != 3 and not samples_mode:
        sys.exit(__doc__)
    source, target = argv[-2], argv[-1]
    singles, pairs, wide = read_table(source)
    check(singles, pairs, wide)
    if samples_mode:
        write_python_samples(pairs, source, target)
    else:
        write_table(singles, pairs, source, target)


if __name__ == "__main__":
    main(sys.argv)
