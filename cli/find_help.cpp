#include "cli/find.h"

#include "workbench/frames/frame_search.h"

const char kFindGroup[] = "Frames and their checks";
const char kFindSummary[] = "which CRC or sum protects these frames, and over which bytes";

namespace {

const char kUsage[] =
    "Usage: quobrix find [--max-skip N] [--json] [--all]\n"
    "                    [--only NAME] [--width BITS] [--order be|le]\n"
    "                    [--head N] [--tail N] [--frames-end HEX]\n"
    "                    [--search | --no-search] [--] [FRAME...]\n"
    "       quobrix find --text [--all] [--] [LINE...]\n";

const char kDescription[] =
    "Tries every catalogued CRC and every sum on every FRAME at once: the\n"
    "data starts after `head` bytes (a start byte, an address), the check\n"
    "follows the data directly and may be followed by `tail` bytes (an end\n"
    "byte), each 0 to N bytes and the same for every frame; checks wider than\n"
    "a byte are tried high byte first (be) and low byte first (le). Each\n"
    "explanation that holds for every frame is one line,\n"
    "  NAME ORDER head=H tail=T      CRC-16/MODBUS le head=0 tail=0\n"
    "most plausible first: fewest head and tail bytes, named checks before\n"
    "recovered CRCs, then the catalogue's order. ORDER is - for a one-byte\n"
    "check. The line, quoted, is a CHECK for quobrix frame.\n"
    "\n"
    "Any check holds on a frame by luck now and then, so a line is printed\n"
    "only when the frames bear it out: the more checks and placements tried,\n"
    "the more bits of check the different frames must carry (a frame given\n"
    "twice counts once). A note says on how many frames the first line holds\n"
    "and the chance it is luck. When no line is borne out, a note names the\n"
    "best candidate and how many more different frames, of what length at\n"
    "least, would decide.\n"
    "\n"
    "Frames of little variety hold many checks for their structure, not by\n"
    "luck: zeros through a CRC with zero init and xorout, a run of FF, a sum\n"
    "of zero padding. So a frame's check bytes count only as far as the frames\n"
    "bear them out against checks drawn from their own data: when the bytes a\n"
    "check needs are among the data far more often than luck would put them\n"
    "there, each frame counts only what such drawn checks leave, none for a\n"
    "run of one byte value; and for a CRC or XOR-8, a frame that is the XOR of\n"
    "others of its length counts nothing. Frames all of one byte value say\n"
    "so, and exit 1 with nothing named.\n"
    "\n"
    "The sums: SUM-8, SUM-16, SUM-32 (the bytes added modulo 2^width),\n"
    "SUM-8/TWOS, SUM-16/TWOS (its two's complement: the LRC of Modbus ASCII),\n"
    "SUM-8/ONES, SUM-16/ONES (its one's complement), XOR-8 (the BCC),\n"
    "INET-16 (RFC 1071), FLETCHER-16, ADLER-32.\n"
    "\n"
    "When nothing named holds, the parameters of an unknown CRC of 8, 16, 24,\n"
    "32 or 64 bits are recovered from the frames themselves: the polynomial\n"
    "from frames of one length, or from frames of three lengths or more, then\n"
    "init and xorout from frames of different lengths. By default it runs when\n"
    "that takes less than about a second (three frames of one length up to\n"
    "about 9 KiB each, 16 KiB on a processor with VPCLMULQDQ); --search always,\n"
    "and a note says first when it will take longer. A recovered CRC is printed\n"
    "as a parameter line with its check and residue, which quobrix crc takes as\n"
    "MODEL, then ORDER head=H tail=T. Its parameters take up about three\n"
    "frames, and only the frames beyond them confirm it: it needs four\n"
    "different frames in all at 24 to 64 bits, five at 16, six at 8 (with the\n"
    "default --max-skip). CRCs that give the same check for every message are\n"
    "listed together, and a note says so; when recovery cannot decide, a note\n"
    "says which frames would.\n"
    "\n"
    "What you know of the check narrows the search: --only, --width, --order,\n"
    "--head, --tail and --frames-end leave fewer checks, orders and placements\n"
    "to try, named and recovered alike, and the chance counts only those, so\n"
    "fewer frames bear a line out: told --width 16 --order le --head 0 --tail 0,\n"
    "a recovered CRC-16 needs four frames instead of five; told --only\n"
    "CRC-16/MODBUS --head 0 --tail 0, one frame names it. A head or tail fixed\n"
    "beyond a --max-skip given, and options that leave nothing to try, are\n"
    "usage errors.\n"
    "\n"
    "With --text each frame is a line of text ending with its check written as\n"
    "hex digits (before an optional line end): NMEA 0183's $GPGGA,...*47,\n"
    "Modbus ASCII's :1103006B00037E, a vendor's ...,A5F3. Every named check of\n"
    "8, 16 or 32 bits is tried as 2, 4 or 8 digits, upper or lower case, right\n"
    "after a separator (*, \",\", ; or none), over the characters from the line's\n"
    "first one or from after it (when every line begins with it: $, !, :), or\n"
    "over the bytes those characters spell as hex pairs. Each check that holds\n"
    "on every line and is borne out, as above, is one line of words that\n"
    "quobrix frame --text takes:\n"
    "  NAME text from=C to=S hexN [lower] [pairs] [crlf]\n"
    "from=C: the span starts after the line's first character C (from=line:\n"
    "with the line's first character); to=S: the separator before the digits\n"
    "(to=none: none); hexN: N digits, upper case unless lower; pairs: over the\n"
    "bytes the span spells as hex pairs (Modbus ASCII's LRC is SUM-8/TWOS text\n"
    "from=: to=none hex2 pairs); crlf: every line ends with CR LF. --text takes\n"
    "no option but --all.\n";

const char kOptions[] =
    "  FRAME...        one frame each, hex digits: pairs left to right, a lone\n"
    "                  digit is a byte, 0x is dropped; blanks and punctuation\n"
    "                  separate, any other character is an error; none: one\n"
    "                  frame a line of standard input, blank lines skipped\n"
    "  --max-skip N    head and tail bytes each 0 to N (default 4, at most @LIMIT@)\n"
    "  --json          a JSON array of objects: name, width, poly, init, refin,\n"
    "                  refout, xorout (CRCs only), order, head, tail, recovered\n"
    "                  (name is null for a recovered CRC), frames (different\n"
    "                  frames it holds on), fitted (of them, those recovery\n"
    "                  took), chance (that it is luck), weak\n"
    "  --all           the lines not borne out too, after the others, marked\n"
    "                  (weak)\n"
    "  --only NAME     only this check: a catalogue name or a former one, a\n"
    "                  sum's name, or a family: CRC, CRC-N (the catalogue's\n"
    "                  N-bit CRCs and N-bit ones recovered; CRC-32 is the\n"
    "                  family, not CRC-32/ISO-HDLC), SUM (SUM-8 to SUM-16/ONES),\n"
    "                  XOR; any case; again, or apart by commas, for more\n"
    "  --width BITS    only checks this many bits wide (8, 16, 32); again, or\n"
    "                  apart by commas, for more\n"
    "  --order be|le   a check wider than a byte only in this byte order\n"
    "  --head N        exactly N bytes before the data (not 0 to --max-skip)\n"
    "  --tail N        exactly N bytes after the check\n"
    "  --frames-end HEX  every frame ends with these bytes (16; '0D 0A'), and\n"
    "                  they are the tail: the check comes just before them\n"
    "  --search        recover unknown CRCs even when a named check holds\n"
    "  --no-search     never recover\n"
    "  --text          the frames are text lines with their check at the end;\n"
    "                  LINE...: one each, \\r, \\n, \\xHH and \\\\ for their bytes;\n"
    "                  none: the lines of standard input, line ends kept\n";

const char kExitStatus[] =
    "Exit status: 0 at least one explanation borne out by the frames was\n"
    "printed; 1 nothing explains the frames beyond chance (a note says what to\n"
    "try); 2 a usage error, a frame that is not hex digits, or one that does\n"
    "not end with --frames-end.\n";

// Each command is run by a test, which compares what it prints with the lines below it.
const char kExamples[] =
    "Examples:\n"
    "  $ quobrix find '01 03 00 00 00 0A C5 CD' '11 03 00 6B 00 03 76 87'\n"
    "  CRC-16/MODBUS le head=0 tail=0\n"
    "  $ quobrix find --only CRC-16/MODBUS --head 0 --tail 0 '01 03 00 00 00 0A C5 CD'\n"
    "  CRC-16/MODBUS le head=0 tail=0\n"
    "  $ quobrix find --text ':1103006B00037E' ':01030000000AF2' ':010600010003F5'\n"
    "  SUM-8/TWOS text from=: to=none hex2 pairs\n";

std::string Replace(std::string text, const std::string& key, std::size_t value) {
    return text.replace(text.find(key), key.size(), std::to_string(value));
}

}  // namespace

std::string FindHelpSection() {
    return std::string(kFindGroup) + ":\n  find       " + kFindSummary + "\n             (quobrix find --help)\n";
}

std::string FindHelp(const std::string&) {
    return std::string(kUsage) + "\n" + kDescription + "\n" + Replace(kOptions, "@LIMIT@", kMaxSkipLimit) + "\n" +
           kExitStatus + "\n" + kExamples;
}
