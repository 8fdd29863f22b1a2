// quobrix find and quobrix frame in-process: what they print, their exit
// status, frames from standard input, and input that is no frame; frames
// built with random checks verify, and stop verifying when a bit flips.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "workbench/frames/frame_search.h"
#include "support/check_oracle.h"

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

Outcome InProcess(const std::vector<std::string>& args, const std::string& input = "") {
    CliEnvironment env;
    env.read_stdin = [&](std::size_t max_bytes, std::string& bytes, std::string&) {
        bytes = input.substr(0, max_bytes);
        return true;
    };
    Outcome outcome;
    outcome.code = RunCli(args, env, outcome.out, outcome.err);
    return outcome;
}

// Modbus RTU: a read request, a write and another read, CRC-16/MODBUS low byte first.
const std::vector<std::string> kModbus = {"01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B",
                                          "11 03 00 6B 00 03 76 87"};

std::vector<std::string> With(std::vector<std::string> words, const std::vector<std::string>& more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

TEST(FindCommand, NamesTheCheckAsLineAndAsJson) {
    Outcome r = InProcess(With({"find"}, kModbus));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "CRC-16/MODBUS le head=0 tail=0\n");
    // 3 frames, 48 bits of check, against some 2600 two-byte checks and
    // placements tried: 2600 * 2^-48 is about 9e-12.
    EXPECT_EQ(r.err, "quobrix: the first line holds on 3 frames; chance it is luck 9e-12\n");
    // Standard input: one frame a line, blank lines and CR LF endings taken.
    r = InProcess({"find", "--json"}, "\n" + kModbus[0] + "\r\n\n" + kModbus[1] + "\r\n" + kModbus[2]);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "[\n  {\"name\": \"CRC-16/MODBUS\", \"width\": 16, \"poly\": \"0x8005\", \"init\": \"0xffff\", "
              "\"refin\": true, \"refout\": true, \"xorout\": \"0x0000\", \"order\": \"le\", \"head\": 0, "
              "\"tail\": 0, \"recovered\": false, \"frames\": 3, \"fitted\": 0, \"chance\": 9e-12, "
              "\"weak\": false}\n]\n");
    // A sum has no parameters; a one-byte check no order. Modbus ASCII's LRC
    // of 01 03 00 00 00 0A is F2. Two frames carry 16 bits of a one-byte
    // check, too few against the some 1250 such checks and placements
    // tried: it is weak, listed with --all, and the exit status is 1.
    r = InProcess({"find", "--all", "--json", "3A 01 03 00 00 00 0A F2 0D 0A", "3A 11 03 00 6B 00 03 7E 0D 0A"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("{\"name\": \"SUM-8/TWOS\", \"width\": 8, \"order\": \"-\", \"head\": 1, \"tail\": 2, "
                         "\"recovered\": false, \"frames\": 2, \"fitted\": 0, \"chance\": 0.01, \"weak\": true}"),
              std::string::npos)
        << r.out;
    // Head, a byte of data, the check and the tail: 5 bytes at least.
    EXPECT_NE(r.err.find("1 more different frame of at least 5 bytes would decide"), std::string::npos) << r.err;
    // A third frame (01 06 00 01 00 03: LRC F5) makes it believed.
    r = InProcess({"find", "3A 01 03 00 00 00 0A F2 0D 0A", "3A 11 03 00 6B 00 03 7E 0D 0A",
                   "3A 01 06 00 01 00 03 F5 0D 0A"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "SUM-8/TWOS - head=1 tail=2");
}

// Idle lines, erased flash and zero padding hold many checks for their
// structure: none is named, and the note says why.
TEST(FindCommand, FramesOfLittleVarietyNameNothing) {
    const std::string no_evidence = ": they carry no evidence";
    Outcome r = InProcess({"find", "00 00 00 00 00 00 00 00"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("quobrix: these frames are all 00" + no_evidence, 0), 0u) << r.err;
    r = InProcess({"find", "FF FF FF FF FF FF FF FF"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("quobrix: these frames are all FF" + no_evidence, 0), 0u) << r.err;
    r = InProcess({"find", "00 00 00 00", "00 00 00 00 00", "00 00 00 00 00 00 00"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("quobrix: these frames are all 00" + no_evidence, 0), 0u) << r.err;
    // A start byte, zeros, the start byte again, an end byte: SUM-32 of
    // 68 00 00 00 is 00 00 00 68, and zeros hold many CRCs.
    r = InProcess({"find", "68 00 00 00 00 00 00 68 16"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("these frames have too little variety to tell anything"), std::string::npos) << r.err;
    r = InProcess({"find", "--all", "--json", "68 00 00 00 00 00 00 68 16"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("{\"name\": \"SUM-32\", \"width\": 32, \"order\": \"be\", \"head\": 0, \"tail\": 1, "),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("\"weak\": false"), std::string::npos) << r.out;
    // The Modbus frames padded with zeros: only CRC-16/MODBUS is named.
    r = InProcess({"find", "01 03 00 00 00 0A C5 CD 00 00 00", "01 06 00 01 00 03 98 0B 00 00 00",
                   "11 03 00 6B 00 03 76 87 00 00 00"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("CRC-16/MODBUS le head=0 tail=3\n"), std::string::npos) << r.out;
    for (std::size_t line = 0; line < r.out.size(); line = r.out.find('\n', line) + 1) {
        EXPECT_EQ(r.out.compare(line, 14, "CRC-16/MODBUS "), 0) << r.out;
    }
}

TEST(FindCommand, NothingExplainsTheFrames) {
    const std::vector<std::string> noise = {"00 11 22 33 44 55 66 77 88", "99 AA BB CC DD EE FF 01 02"};
    Outcome r = InProcess(With({"find", "--no-search", "--max-skip", "1"}, noise));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "quobrix: nothing explains these frames; try a larger --max-skip (it is 1), more frames, or "
              "--search to recover an unknown CRC\n");
    r = InProcess(With({"find", "--json", "--max-skip=0"}, noise));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "[]\n");
    // Recovery ran (by default: two short frames), so --search is not suggested.
    EXPECT_NE(r.err.find("try a larger --max-skip (it is 0) or more frames\n"), std::string::npos) << r.err;
}

TEST(FindCommand, SaysWhenRecoveredCrcsAgreeOnEveryMessage) {
    // The polynomial has the factor (x+1)^2: four inits, each with its
    // xorout, give the same check for every message, at any length.
    const std::string model = "width=32 poly=0x32583499 init=0x12345678 refin=false refout=false xorout=0xffffffff";
    std::vector<std::string> words{"find", "--search"};
    for (const char* data :
         {"10 22 33 44 55 66 77 88 99 AA BB CC DD EE F0", "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
          "FF EE DD CC BB AA 99 88 77 66 55 44 33 22 11", "5A A5 5A A5 00 01"}) {
        const Outcome built = InProcess({"frame", model, data});
        ASSERT_EQ(built.code, 0) << built.err;
        words.push_back(built.out.substr(0, built.out.size() - 1));
    }
    const Outcome r = InProcess(words);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("init=0x12345678 refin=false refout=false xorout=0xffffffff"), std::string::npos) << r.out;
    // The note names the four lines it is true of; 4 frames of 32 bits
    // against 96 bits the fit takes and 50 placements: 50 * 2^(96-128).
    EXPECT_EQ(r.err,
              "quobrix: lines 1, 2, 3 and 4 give the same check for every message: any of them will do\n"
              "quobrix: the first line holds on 4 frames, 1 beyond the 3 its parameters were fitted to; chance it "
              "is luck 1e-08\n");
}

TEST(FindCommand, BadInputSaysWhatAndWhere) {
    const auto expect_error = [](const Outcome& r, const std::string& err) {
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, err);
    };
    expect_error(InProcess({"find", "01 02", "01 0G 03"}), "quobrix: frame 2: 'G' at character 5 is no hex digit\n");
    expect_error(InProcess({"find"}, "01 02\n\n01 02 ä\n"), "quobrix: line 3: 'ä' at character 7 is no hex digit\n");
    expect_error(InProcess({"find", "01", "--", "-"}), "quobrix: frame 2 holds no hex digits\n");
    expect_error(InProcess({"find"}, "\n \r\n"),
                 "quobrix: no frames: give them as arguments, or one a line on standard input\n");
    expect_error(InProcess({"find", "--max-skip", "65", "01"}),
                 "quobrix: --max-skip takes a count of bytes from 0 to 64, not '65' (Usage: quobrix find "
                 "[--max-skip N] [--json] [--all] [--only NAME] [--width BITS] [--order be|le] [--head N] [--tail N] "
                 "[--frames-end HEX] [--search | --no-search] [FRAME...]; quobrix find --help tells more)\n");
    EXPECT_EQ(InProcess({"find", "--search", "--no-search", "01"}).code, 2);
    EXPECT_EQ(InProcess({"find", "--frobnicate", "01"}).code, 2);
    // 0x prefixes and punctuation are fine.
    EXPECT_EQ(InProcess({"find", "0x01,0x03,0x00,0x00,0x00,0x0A,0xC5,0xCD", kModbus[1]}).out,
              "CRC-16/MODBUS le head=0 tail=0\n");
}

// Standard input as editors and serial tools save it: a bare CR ends a line
// as LF and CR LF do, and a UTF-8 byte order mark is no part of the first.
TEST(FindCommand, ReadsEveryLineEndingAndDropsAByteOrderMark) {
    const std::string expected = "CRC-16/MODBUS le head=0 tail=0\n";
    for (const std::string& input : {"\xEF\xBB\xBF" + kModbus[0] + "\r" + kModbus[1] + "\r" + kModbus[2] + "\r",
                                     kModbus[0] + "\r\r\n" + kModbus[1] + "\n\r" + kModbus[2]}) {
        const Outcome r = InProcess({"find"}, input);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, expected);
    }
    // A line after bare CRs keeps its own number in messages.
    const Outcome bad = InProcess({"find"}, "01 02\r\r01 0G\r");
    EXPECT_EQ(bad.err, "quobrix: line 3: 'G' at character 5 is no hex digit\n");
}

// Frames that repeat are one frame; bytes given unquoted are one-byte
// frames, which no check fits: the note shows the quoted form.
TEST(FindCommand, RepeatsAreOneFrameAndUnquotedBytesAreCaught) {
    Outcome r = InProcess({"find", "0102030405", "0102030405", "0102030405"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    r = InProcess({"find", "01", "03", "00", "00", "00", "0A", "C5", "CD"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("each argument is one frame"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("quobrix find '01 03 00 00 00 0A C5 CD'"), std::string::npos) << r.err;
    // A repeated Modbus frame adds nothing to one: weak as one frame is.
    r = InProcess({"find", kModbus[0], kModbus[0], kModbus[0]});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
}

// The check and placement told: one Modbus request (the MODBUS over Serial
// Line guide's CRC-16, C5 CD) is one frame of 16 bits, weak against every
// two-byte check, order and placement, believed against the two orders of
// CRC-16/MODBUS left at head 0 and tail 0: 2 * 2^-16.
TEST(FindCommand, WhatTheUserKnowsNeedsFewerFrames) {
    Outcome r = InProcess({"find", kModbus[0]});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    r = InProcess({"find", "--only", "CRC-16/MODBUS", "--head", "0", "--tail", "0", kModbus[0]});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "CRC-16/MODBUS le head=0 tail=0\n");
    EXPECT_EQ(r.err, "quobrix: the first line holds on 1 frame; chance it is luck 3e-05\n");
    // Its family, any case, and all placements: 2 * 25 * 2^-16 is too much;
    // the note says one more frame decides, within what was given.
    r = InProcess({"find", "--only", "crc-16/modbus", "--json", kModbus[0]});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "[]\n");
    EXPECT_NE(r.err.find("chance 0.0008; 1 more different frame of at least 3 bytes would decide (within --only "
                         "crc-16/modbus)"),
              std::string::npos)
        << r.err;
    // Modbus ASCII: ':' then the LRC (SUM-8/TWOS) and CR LF. Two frames
    // name it told the check, the head and the end; the full search needs three.
    const std::vector<std::string> ascii = {"3A 01 03 00 00 00 0A F2 0D 0A", "3A 11 03 00 6B 00 03 7E 0D 0A"};
    r = InProcess(With({"find", "--only", "SUM-8/TWOS", "--head", "1", "--frames-end", "0D 0A"}, ascii));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "SUM-8/TWOS - head=1 tail=2\n");
    EXPECT_EQ(r.err, "quobrix: the first line holds on 2 frames; chance it is luck 2e-05\n");
    EXPECT_EQ(InProcess(With({"find"}, ascii)).code, 1);
    // Nothing of the kinds left holds: the note names what was given and
    // leaves --max-skip out when head and tail are both fixed.
    r = InProcess(With({"find", "--no-search", "--only", "XOR", "--head", "1", "--tail", "2"}, ascii));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "quobrix: nothing within --only XOR --head 1 --tail 2 explains these frames; try fewer of these options, "
              "more frames, or --search to recover an unknown CRC\n");
}

// A reflected CRC-16 a bit at a time: the frames' oracle, apart from the
// program's CRC code (CRC-16/MODBUS of "123456789" is 4B37).
unsigned ReflectedCrc16(unsigned poly, unsigned init, unsigned xorout, const std::vector<unsigned char>& data) {
    unsigned reflected_poly = 0, reg = 0;
    for (int bit = 0; bit < 16; ++bit) {
        reflected_poly |= ((poly >> bit) & 1u) << (15 - bit);
        reg |= ((init >> bit) & 1u) << (15 - bit);
    }
    for (const unsigned char byte : data) {
        reg ^= byte;
        for (int bit = 0; bit < 8; ++bit) reg = (reg & 1u) != 0 ? (reg >> 1) ^ reflected_poly : reg >> 1;
    }
    return reg ^ xorout;
}

// Three 8-byte frames and one of 11 of a CRC the catalogue lacks: too few
// for the full search, enough once width, order and placement are given.
TEST(FindCommand, RecoversAnUncataloguedCrcFromFewerFramesWhenTold) {
    const std::vector<unsigned char> digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    ASSERT_EQ(ReflectedCrc16(0x8005, 0xFFFF, 0, digits), 0x4B37u);
    std::mt19937 random(1);
    std::vector<std::string> frames;
    for (const std::size_t size : {6, 6, 6, 9}) {
        std::vector<unsigned char> frame(size);
        for (unsigned char& byte : frame) byte = static_cast<unsigned char>(random());
        const unsigned check = ReflectedCrc16(0x1A2F, 0x3C4D, 0x5E6F, frame);
        frame.push_back(static_cast<unsigned char>(check & 0xFF));
        frame.push_back(static_cast<unsigned char>(check >> 8));
        std::string text;
        for (const unsigned char byte : frame) text += "0123456789ABCDEF"[byte >> 4], text += "0123456789ABCDEF"[byte & 15];
        frames.push_back(text);
    }
    Outcome r = InProcess(With({"find"}, frames));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    r = InProcess(With({"find", "--width", "16", "--order", "le", "--head", "0", "--tail", "0"}, frames));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("width=16 poly=0x1a2f init=0x3c4d refin=true refout=true xorout=0x5e6f ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("  le head=0 tail=0\n"), std::string::npos) << r.out;
    // 48 bits fitted, 64 carried: 2^-16.
    EXPECT_EQ(r.err,
              "quobrix: the first line holds on 4 frames, 1 beyond the 3 its parameters were fitted to; chance it "
              "is luck 2e-05\n");
    // The same told as a family and a list of widths.
    r = InProcess(With({"find", "--only", "CRC-16", "--width", "8,16", "--order", "le", "--head=0", "--tail=0"},
                       frames));
    EXPECT_EQ(r.code, 0) << r.err;
    // The wrong order told: nothing.
    r = InProcess(With({"find", "--width", "16", "--order", "be", "--head", "0", "--tail", "0"}, frames));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
}

TEST(FindCommand, NarrowingOptionsThatCannotHoldAreUsageErrors) {
    const std::string hint =
        " (Usage: quobrix find [--max-skip N] [--json] [--all] [--only NAME] [--width BITS] [--order be|le] "
        "[--head N] [--tail N] [--frames-end HEX] [--search | --no-search] [FRAME...]; quobrix find --help tells "
        "more)\n";
    const auto expect_error = [&](const std::vector<std::string>& words, const std::string& said) {
        const Outcome r = InProcess(With(With({"find"}, words), {kModbus[0]}));
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "quobrix: " + said + hint);
    };
    for (const char* bad : {"0", "83", "x", "16.5", "-8", ""}) {
        expect_error({"--width", "8,16," + std::string(bad)},
                     "--width takes a check's width in bits from 1 to 82 (8, 16, 32; several as 16,32), not '" +
                         std::string(bad) + "'");
    }
    expect_error({"--order", "LE"}, "--order takes be or le, not 'LE'");
    expect_error({"--order", "-"}, "--order takes be or le, not '-'");
    expect_error({"--head", "65"}, "--head takes a count of bytes from 0 to 64, not '65'");
    expect_error({"--tail", "x"}, "--tail takes a count of bytes from 0 to 64, not 'x'");
    expect_error({"--frames-end", "0G"}, "--frames-end: 'G' at character 2 is no hex digit");
    expect_error({"--only", "CRC-16/BOGUS"},
                 "--only names no check with 'CRC-16/BOGUS': give a catalogue name (quobrix crc --list), a sum "
                 "(SUM-8, SUM-16, SUM-32, SUM-8/TWOS, SUM-16/TWOS, SUM-8/ONES, SUM-16/ONES, XOR-8, INET-16, "
                 "FLETCHER-16, ADLER-32) or a family (CRC, CRC-N for N bits, SUM, XOR)");
    const std::string nothing_left =
        ": no check is left to try (named checks are 3 to 82 bits wide, recovered CRCs whole bytes of 8 to 64 bits)";
    expect_error({"--only", "CRC-16", "--width", "32"}, "--only CRC-16 --width 32" + nothing_left);
    expect_error({"--only", "SUM,XOR", "--width", "64"}, "--only SUM,XOR --width 64" + nothing_left);
    expect_error({"--width", "9"}, "--width 9" + nothing_left);
    expect_error({"--head", "5", "--max-skip", "4"}, "--head fixes 5 bytes, beyond --max-skip 4: give one of them");
    expect_error({"--max-skip", "0", "--frames-end", "CD"},
                 "--frames-end fixes 1 byte, beyond --max-skip 0: give one of them");
    expect_error({"--frames-end", "C5 CD", "--tail", "1"},
                 "--frames-end is the tail, 2 bytes, and --tail 1 contradicts it");
    expect_error({"--only", "XOR", "--order", "le"},
                 "--only XOR --order le: no check left is wider than a byte, so --order has nothing to order");
    expect_error({"--only", "CRC-48", "--no-search"},
                 "--only CRC-48: only unknown CRCs are left, and --no-search recovers none");
    expect_error({"--only", "CRC-16/MODBUS", "--search"},
                 "--only CRC-16/MODBUS: no unknown CRC is left to recover, and --search recovers only those");
    // An exact head within a --max-skip given, and a tail as long as the end, are sound.
    EXPECT_EQ(InProcess({"find", "--max-skip", "2", "--head", "1", "--frames-end", "0D 0A", "--tail", "2",
                         "3A 01 03 00 00 00 0A F2 0D 0A"})
                  .code,
              1);
}

// A frame that does not end as --frames-end says is an error naming it,
// as a frame that is no hex is.
TEST(FindCommand, FramesMustEndAsFramesEndSays) {
    Outcome r = InProcess({"find", "--frames-end", "0D 0A", "3A 01 03 00 00 00 0A F2 0D 0A", "3A 11 03 00 6B 00 03 7E 0A 0D"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quobrix: frame 2 does not end with --frames-end 0D 0A (it ends 0A 0D)\n");
    r = InProcess({"find", "--frames-end", "0D 0A"}, "3A 01 03 00 00 00 0A F2 0D 0A\n\n0A\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "quobrix: line 3 does not end with --frames-end 0D 0A (it ends 0A)\n");
}

TEST(FrameCommand, BuildsAndVerifies) {
    Outcome r = InProcess({"frame", "CRC-16/XMODEM", "--order", "be", "--head", "AA", "--tail", "00 00 A9", "31", "32",
                     "33", "34", "35", "36", "37", "38", "39"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9\n");
    const std::string frame = "AA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9";
    const std::vector<std::string> ends = {"--head", "AA", "--tail", "00 00 A9"};
    r = InProcess(With(With({"frame", "CRC-16/XMODEM", "--verify"}, ends), {frame}));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "ok\n");
    r = InProcess(With(With({"frame", "CRC-16/XMODEM", "--verify", "--order", "le"}, ends), {frame}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "the frame holds the check 31 C3, its data gives C3 31\n");
    r = InProcess(With(With({"frame", "CRC-16/XMODEM", "--verify"}, ends), {"AA 31 32 33 34 35 36 37 38 39 31 C3 00 01 A9"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "byte 14 (tail) is 01, --tail says 00\n");
    r = InProcess(With(With({"frame", "CRC-16/XMODEM", "--verify"}, ends), {"AA 31 00 00 A9"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "the frame is too short: 5 bytes, where head, one byte of data, the check and tail take 7\n");

    // A line of find as CHECK: its order, and with --verify its head and
    // tail counts, any bytes.
    EXPECT_EQ(InProcess({"frame", "--verify", "CRC-16/XMODEM be head=1 tail=3", frame}).out, "ok\n");
    EXPECT_EQ(InProcess({"frame", "CRC-16/MODBUS le head=0 tail=0", "01 03 00 00 00 0A"}).out, "01 03 00 00 00 0A C5 CD\n");
    EXPECT_EQ(InProcess({"frame", "crc-16/modbus le head=1 tail=0", "--head", "3A", "01 03 00 00 00 0A"}).out,
              "3A 01 03 00 00 00 0A C5 CD\n");
    EXPECT_EQ(InProcess({"frame", "SUM-8/TWOS - head=0 tail=0", "01 03 00 00 00 0A"}).out, "01 03 00 00 00 0A F2\n");
    // A recovered CRC's line as find prints it; its check must hold.
    const std::string recovered = "width=16 poly=0x2f15 init=0xbeef refin=true refout=true xorout=0x5a5a "
                                  "check=0xbfa8 residue=0x3558  le head=0 tail=0";
    EXPECT_EQ(InProcess({"frame", recovered, "01 02 03"}).out, "01 02 03 6D B6\n");
    EXPECT_EQ(InProcess({"frame", "--verify", recovered, "01 02 03 6D B6"}).out, "ok\n");
    EXPECT_EQ(InProcess({"frame", "width=16 poly=0x2f15 init=0xbeef refin=true refout=true xorout=0x5a5a check=0xbfa9",
                         "01"}).code,
              2);
}

TEST(FrameCommand, ErrorsSayWhy) {
    const auto expect_error = [](const Outcome& r, const std::string& err) {
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, err);
    };
    expect_error(InProcess({"frame", "CRC-16/MODBUS le head=1 tail=0", "01 03"}),
                 "quobrix: CHECK says head=1: give those bytes with --head\n");
    expect_error(InProcess({"frame", "CRC-16/MODBUS le head=1", "--head", "3A 3A", "01"}),
                 "quobrix: --head holds 2 bytes, but CHECK says head=1\n");
    expect_error(InProcess({"frame", "CRC-16/MODBUS le", "--order", "be", "01"}),
                 "quobrix: --order be and the order le of CHECK differ\n");
    expect_error(InProcess({"frame", "SUM-8", "--head", "3Z", "01"}), "quobrix: --head: 'Z' at character 2 is no hex digit\n");
    const Outcome unknown = InProcess({"frame", "SUM-9", "01"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("quobrix: the sums: SUM-8 SUM-16 SUM-32 SUM-8/TWOS SUM-16/TWOS SUM-8/ONES "
                               "SUM-16/ONES XOR-8 INET-16 FLETCHER-16 ADLER-32\n"),
              std::string::npos)
        << unknown.err;
    EXPECT_EQ(InProcess({"frame", "SUM-8"}).code, 2);
    EXPECT_EQ(InProcess({"frame", "--order", "xe", "SUM-8", "01"}).code, 2);
    // A former name works, and says what it is now.
    const Outcome former = InProcess({"frame", "CRC-4/ITU", "01"});
    EXPECT_EQ(former.code, 0);
    EXPECT_EQ(former.err, "quobrix: CRC-4/ITU is the former name of CRC-4/G-704\n");
}

// Random named checks, orders, heads and tails: the frame built holds the
// oracle's check, verifies, and stops verifying when any bit of its check
// flips; find names it among its lines.
TEST(FrameCommand, RandomFramesRoundTrip) {
    std::mt19937 random(99);
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    const auto hex = [](const check_oracle::Bytes& bytes) {
        std::string text;
        for (const unsigned char byte : bytes) {
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02x ", byte);
            text += pair;
        }
        return text;
    };
    for (int round = 0; round < 60; ++round) {
        const CheckMethod& method = methods[random() % methods.size()];
        const bool le = random() % 2 == 1;
        check_oracle::Bytes head(random() % 3), data(1 + random() % 20), tail(random() % 3);
        for (auto* part : {&head, &data, &tail}) {
            for (auto& byte : *part) byte = static_cast<unsigned char>(random());
        }
        const std::string name = method.Label();
        SCOPED_TRACE(name);
        std::vector<std::string> options = {"--order", le ? "le" : "be"};
        if (!head.empty()) options.push_back("--head=" + hex(head));
        if (!tail.empty()) options.push_back("--tail=" + hex(tail));
        const Outcome built = InProcess(With(With({"frame", name}, options), {hex(data)}));
        ASSERT_EQ(built.code, 0) << built.err;
        check_oracle::Bytes frame;
        for (std::size_t at = 0; at + 1 < built.out.size(); at += 3) {
            frame.push_back(static_cast<unsigned char>(std::stoul(built.out.substr(at, 2), nullptr, 16)));
        }
        ASSERT_TRUE(check_oracle::Holds(method, le && method.byte_count() > 1, head.size(), tail.size(), frame));
        EXPECT_EQ(InProcess(With(With({"frame", name, "--verify"}, options), {hex(frame)})).out, "ok\n");
        check_oracle::Bytes flipped = frame;
        const std::size_t bit = random() % (8 * static_cast<std::size_t>(method.byte_count()));
        flipped[head.size() + data.size() + bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        const Outcome broken = InProcess(With(With({"frame", name, "--verify"}, options), {hex(flipped)}));
        EXPECT_EQ(broken.code, 1);
        EXPECT_EQ(broken.out.rfind("the frame holds the check ", 0), 0u) << broken.out;
    }
}

// ---- Checks written as text ---------------------------------------------

// NMEA 0183's widely quoted sentences with their published checksums, and
// one whose checksum Python worked out: functools.reduce(operator.xor,
// map(ord, "GPVTG,054.7,T,034.4,M,005.5,N,010.2,K")) is 0x48.
const std::vector<std::string> kNmea = {
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
    "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48"};
// Modbus ASCII: the MODBUS over Serial Line document's request, LRC 7E, then
// two whose LRC is 0x100 minus the sum of their bytes.
const std::vector<std::string> kModbusAscii = {":1103006B00037E", ":01030000000AF2", ":010600010003F5"};

TEST(FindText, NamesTheCheckOfNmeaAndModbusAscii) {
    Outcome r = InProcess(With({"find", "--text"}, kNmea));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "XOR-8 text from=$ to=* hex2\n");
    EXPECT_EQ(r.err.rfind("quobrix: the first line holds on 3 lines; chance it is luck ", 0), 0u) << r.err;
    // Arguments spell the line end as \r\n; standard input keeps its own.
    r = InProcess(With({"find", "--text"}, {kModbusAscii[0] + "\\r\\n", kModbusAscii[1] + "\\r\\n",
                                            kModbusAscii[2] + "\\x0D\\x0A"}));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "SUM-8/TWOS text from=: to=none hex2 pairs crlf\n");
    r = InProcess({"find", "--text"}, "\xEF\xBB\xBF" + kModbusAscii[0] + "\n\n" + kModbusAscii[1] + "\n" +
                                          kModbusAscii[2]);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "SUM-8/TWOS text from=: to=none hex2 pairs\n");
    // Two sentences carry 16 bits, too few: weak, listed with --all.
    r = InProcess({"find", "--text", kNmea[0], kNmea[1]});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("the best XOR-8 text from=$ to=* hex2 on 2 lines"), std::string::npos) << r.err;
    r = InProcess({"find", "--text", "--all", kNmea[0], kNmea[1]});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("XOR-8 text from=$ to=* hex2  (weak)\n"), std::string::npos) << r.out;
}

// Each line find --text prints is WORDS frame --text verifies the lines with.
TEST(FindText, FrameTextBuildsAndVerifiesWhatFindNames) {
    const std::string nmea_words = InProcess(With({"find", "--text"}, kNmea)).out;
    ASSERT_EQ(nmea_words, "XOR-8 text from=$ to=* hex2\n");
    const std::string words = nmea_words.substr(0, nmea_words.size() - 1);
    for (const std::string& line : kNmea) {
        SCOPED_TRACE(line);
        const std::string star = line.substr(0, line.size() - 2);
        Outcome r = InProcess({"frame", "--text", words, star});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, line + "\n");
        r = InProcess({"frame", "--text", words + " crlf", star.substr(0, star.size() - 1)});
        EXPECT_EQ(r.out, line + "\\r\\n\n");
        r = InProcess({"frame", "--text", words, "--verify", line});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, "ok\n");
    }
    // A wrong checksum: what the text gives and what the line holds.
    Outcome r = InProcess({"frame", "--text", words, "--verify", kNmea[1].substr(0, kNmea[1].size() - 1) + "B"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "expected 6A, got 6B\n");
    r = InProcess({"frame", "--text", "SUM-8/TWOS text from=: to=none hex2 pairs", ":1103006B0003"});
    EXPECT_EQ(r.out, kModbusAscii[0] + "\n");
    r = InProcess({"frame", "--text", "SUM-8/TWOS text from=: to=none hex2 pairs crlf", "--verify", kModbusAscii[0]});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "the line does not end with CR LF\n");
}

TEST(FindText, UsageErrorsExit2InOneLine) {
    const std::vector<std::vector<std::string>> cases = {
        {"find", "--text", "--json", kNmea[0]},
        {"find", "--text", "--head", "1", kNmea[0]},
        {"find", "--text", "ab\\q"},
        {"find", "--text", "ab\\x4"},
        {"find", "--text"},
        {"frame", "--text", "XOR-8 hex4", "abc"},
        {"frame", "--text", "NOPE-8", "abc"},
        {"frame", "--text", "XOR-8 from=$", "abc"},
        {"frame", "--text", "XOR-8", "a", "b"},
        {"frame", "--text", "XOR-8", "--order", "le", "abc"},
        {"frame", "--text", "XOR-8"},
        {"frame", "--text", "SUM-8 pairs", "123"},
    };
    for (const auto& args : cases) {
        const Outcome r = InProcess(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("quobrix: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

}  // namespace
