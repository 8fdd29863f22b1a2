// The framer, driven with a clock the tests choose: silence at and just
// below the gap, frames split across chunks at every place, start and end
// bytes with noise between, length fields in both orders, line ends split
// between chunks; and for every rule, that no byte is lost or repeated.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "link/framer.h"

using namespace std::string_literals;

namespace {

struct Chunk {
    std::string bytes;
    LinkTime time;
};

std::string Hex(const LinkBytes& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

// "F:02 41 03" a frame, "N:FF" noise, "I:02 41" incomplete, joined by "|".
std::string Describe(const std::vector<LinkFrame>& frames) {
    std::string text;
    for (const LinkFrame& f : frames) {
        if (!text.empty()) text += "|";
        text += f.kind == LinkFrame::kFrame ? "F:" : f.kind == LinkFrame::kNoise ? "N:" : "I:";
        text += Hex(f.bytes);
    }
    return text;
}

// Pushes the chunks, then, with `idle_at` >= 0, lets the clock run to it,
// or else ends the stream.
std::vector<LinkFrame> Frames(const FramingRule& rule, const std::vector<Chunk>& chunks, LinkTime idle_at = -1,
                           LinkTime idle_us = 0) {
    Framer framer(rule);
    std::vector<LinkFrame> out;
    for (const Chunk& c : chunks) {
        framer.Push(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), c.time, out);
    }
    if (idle_at >= 0) {
        framer.Idle(idle_at, idle_us, out);
    } else {
        framer.Finish(out);
    }
    return out;
}

FramingRule Gap(LinkTime us) {
    FramingRule rule;
    rule.kind = FramingRule::kGap;
    rule.gap_us = us;
    return rule;
}

FramingRule Marks(const std::string& start, const std::string& end) {
    FramingRule rule;
    rule.kind = FramingRule::kMarks;
    rule.start.assign(start.begin(), start.end());
    rule.end.assign(end.begin(), end.end());
    return rule;
}

FramingRule Length(std::size_t offset, int size, bool big_endian, long long adjust) {
    FramingRule rule;
    rule.kind = FramingRule::kLength;
    rule.offset = offset;
    rule.field_size = size;
    rule.big_endian = big_endian;
    rule.adjust = adjust;
    return rule;
}

FramingRule Lines(FramingRule::LineEnd end) {
    FramingRule rule;
    rule.kind = FramingRule::kLines;
    rule.line_end = end;
    return rule;
}

// The stream cut into chunks at `cuts` (positions), all at one time: the
// rules that cut by bytes must not care where reads end.
std::vector<Chunk> CutAt(const std::string& stream, const std::vector<std::size_t>& cuts) {
    std::vector<Chunk> chunks;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        chunks.push_back({stream.substr(from, cut - from), 0});
        from = cut;
    }
    chunks.push_back({stream.substr(from), 0});
    return chunks;
}

// ---- Silence ------------------------------------------------------------

TEST(FramerGap, SilenceReachingTheGapEndsAFrameAndShorterDoesNot) {
    const FramingRule rule = Gap(1000);
    struct Case {
        const char* what;
        std::vector<Chunk> chunks;
        const char* frames;
    } cases[] = {
        {"one chunk", {{"\x01\x02", 0}}, "F:01 02"},
        {"just below the gap", {{"\x01", 0}, {"\x02", 999}}, "F:01 02"},
        {"exactly the gap", {{"\x01", 0}, {"\x02", 1000}}, "F:01|F:02"},
        {"above the gap", {{"\x01", 0}, {"\x02", 5000}}, "F:01|F:02"},
        // The silence counts from the last chunk, not the frame's first.
        {"a long frame of short silences", {{"\x01", 0}, {"\x02", 900}, {"\x03", 1800}, {"\x04", 2700}},
         "F:01 02 03 04"},
        {"three frames", {{"\x01\x02", 0}, {"\x03", 1500}, {"\x04", 1600}, {"\x05\x06", 2600}},
         "F:01 02|F:03 04|F:05 06"},
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(Frames(rule, c.chunks)), c.frames) << c.what;
}

TEST(FramerGap, TheClockAloneCompletesAFrameAtTheGap) {
    const FramingRule rule = Gap(1750);
    EXPECT_EQ(Describe(Frames(rule, {{"\x11\x03", 100}}, 100 + 1749)), "");
    EXPECT_EQ(Describe(Frames(rule, {{"\x11\x03", 100}}, 100 + 1750)), "F:11 03");
    Framer framer(rule);
    std::vector<LinkFrame> out;
    EXPECT_EQ(framer.Deadline(0), -1);
    const unsigned char byte = 0x11;
    framer.Push(&byte, 1, 100, out);
    EXPECT_EQ(framer.Deadline(0), 1850);
}

// Against a reference that cuts where the definition says: between chunks
// whose times differ by the gap or more.
TEST(FramerGap, RandomChunksCutWhereTheSilencesAre) {
    std::mt19937 random(35);
    for (int round = 0; round < 200; ++round) {
        const LinkTime gap = 1 + random() % 3000;
        std::vector<Chunk> chunks;
        std::vector<std::string> expected(1);
        LinkTime time = random() % 100;
        for (int i = 0, n = 1 + static_cast<int>(random() % 12); i < n; ++i) {
            const LinkTime step = random() % 2 == 0 ? gap - 1 + random() % 3 : random() % (2 * gap);
            if (i > 0) time += step;
            std::string bytes(1 + random() % 5, '\0');
            for (char& b : bytes) b = static_cast<char>(random());
            if (i > 0 && step >= gap) expected.emplace_back();
            expected.back() += bytes;
            chunks.push_back({bytes, time});
        }
        std::string want;
        for (const std::string& frame : expected) {
            if (!want.empty()) want += "|";
            want += "F:" + Hex(LinkBytes(frame.begin(), frame.end()));
        }
        EXPECT_EQ(Describe(Frames(Gap(gap), chunks)), want) << "round " << round;
    }
}

// ---- Character times ----------------------------------------------------

SerialSettings Port(unsigned long baud, const char* framing) {
    SerialSettings settings;
    settings.baud = baud;
    std::string error;
    EXPECT_TRUE(ParseFraming(framing, settings, error)) << error;
    return settings;
}

TEST(CharacterTime, ACharacterIsStartDataParityAndStopBits) {
    struct Case {
        const char* framing;
        int half_bits;
    } cases[] = {
        {"8N1", 20}, {"8E1", 22}, {"8O1", 22}, {"8M1", 22}, {"8S1", 22}, {"8N2", 22},
        {"7E1", 20}, {"7N1", 18}, {"5N1.5", 15}, {"6E2", 20}, {"8E2", 24},
    };
    for (const Case& c : cases) EXPECT_EQ(CharacterHalfBits(Port(9600, c.framing)), c.half_bits) << c.framing;
}

TEST(CharacterTime, ModbusGapIsThreeAndAHalfCharactersUpTo19200Baud) {
    // ceil(3.5 characters * bits * 1e6 / baud), worked out by hand:
    // 9600 8N1: 3.5 * 10 / 9600 s = 3645.83 us; 8E1 (MODBUS's own): 11 bits,
    // 4010.42 us; 19200 8E1: 2005.21 us; 1200 8N2: 32083.3 us.
    EXPECT_EQ(ModbusGapUs(Port(9600, "8N1")), 3646);
    EXPECT_EQ(ModbusGapUs(Port(9600, "8E1")), 4011);
    EXPECT_EQ(ModbusGapUs(Port(19200, "8E1")), 2006);
    EXPECT_EQ(ModbusGapUs(Port(1200, "8N2")), 32084);
    // An exact number of microseconds stays exact: 1000 baud 8N1, 35 ms.
    EXPECT_EQ(ModbusGapUs(Port(1000, "8N1")), 35000);
    // Above 19200 baud the gap is fixed.
    EXPECT_EQ(ModbusGapUs(Port(19201, "8E1")), 1750);
    EXPECT_EQ(ModbusGapUs(Port(115200, "8N1")), 1750);
    EXPECT_EQ(ModbusGapUs(Port(4000000, "8N1")), 1750);
}

TEST(CharacterTime, AnyCountOfCharactersAtAnyRateRoundsUp) {
    // Against exact rational arithmetic: characters in halves, bits in halves.
    for (unsigned long baud : {50ul, 75ul, 300ul, 1200ul, 9600ul, 14400ul, 19200ul, 57600ul, 115200ul, 1000000ul,
                               4000000ul}) {
        for (const char* framing : {"8N1", "8E1", "7O2", "5N1.5"}) {
            for (int half_characters = 1; half_characters <= 20; ++half_characters) {
                const SerialSettings port = Port(baud, framing);
                const long long numerator = 1LL * half_characters * CharacterHalfBits(port) * 1000000;
                const long long denominator = 4LL * static_cast<long long>(baud);
                EXPECT_EQ(CharacterGapUs(half_characters / 2.0, port), (numerator + denominator - 1) / denominator)
                    << baud << " " << framing << " " << half_characters / 2.0;
            }
        }
    }
}

// ---- Start and end bytes ------------------------------------------------

TEST(FramerMarks, NoiseBetweenFramesIsKeptApart) {
    struct Case {
        FramingRule rule;
        std::string stream;
        const char* frames;
    } cases[] = {
        {Marks("\x02", "\x03"), "\x02" "A\x03", "F:02 41 03"},
        {Marks("\x02", "\x03"), "\xFF\xFF\x02" "A\x03\xEE\x02" "B\x03", "N:FF FF|F:02 41 03|N:EE|F:02 42 03"},
        // An end byte before any start is noise too.
        {Marks("\x02", "\x03"), "\x03\x02\x03", "N:03|F:02 03"},
        // Two-byte marks, one of whose bytes comes alone in the noise.
        {Marks("\xAA\x55", "\x0D\x0A"), "\xAA\x00\xAA\x55\x01\x0D\x02\x0D\x0A"s, "N:AA 00|F:AA 55 01 0D 02 0D 0A"},
        // Start alone: the next start ends a frame.
        {Marks("\x7E", ""), "\x00\x7E\x01\x02\x7E\x03"s, "N:00|F:7E 01 02|I:7E 03"},
        // End alone: everything up to it.
        {Marks("", "\x0D"), "AB\x0D" "C\x0D" "D", "F:41 42 0D|F:43 0D|I:44"},
        // Start equal to end, as HDLC's flags.
        {Marks("\x7E", "\x7E"), "\x7E\x01\x7E\x7E\x02\x7E", "F:7E 01 7E|F:7E 02 7E"},
        // A frame cut off: what came is handed out as incomplete.
        {Marks("\x02", "\x03"), "\x02" "AB", "I:02 41 42"},
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(Frames(c.rule, {{c.stream, 0}})), c.frames) << Hex(LinkBytes(c.stream.begin(), c.stream.end()));
}

// The rules that cut by bytes give the same frames wherever the reads end:
// every stream of each table, cut once and twice at every place.
void ExpectSameAtEveryCut(const FramingRule& rule, const std::string& stream) {
    const std::string whole = Describe(Frames(rule, {{stream, 0}}));
    for (std::size_t i = 0; i <= stream.size(); ++i) {
        EXPECT_EQ(Describe(Frames(rule, CutAt(stream, {i}))), whole) << "cut at " << i;
        for (std::size_t j = i; j <= stream.size(); ++j) {
            ASSERT_EQ(Describe(Frames(rule, CutAt(stream, {i, j}))), whole) << "cut at " << i << " and " << j;
        }
    }
}

// A frame is stamped with its first byte's time, also when its start came in
// two reads: AA at 100, 55 and the data at 200.
TEST(FramerMarks, AStartInTwoReadsStampsTheFrameWithItsFirstByte) {
    const std::vector<LinkFrame> with_end =
        Frames(Marks("\xAA\x55", "\x0D"), {{"\x01\xAA", 100}, {"\x55\x02\x0D", 200}});
    ASSERT_EQ(with_end.size(), 2u);
    EXPECT_EQ(with_end[0].kind, LinkFrame::kNoise);
    EXPECT_EQ(with_end[0].first_time, 100);
    EXPECT_EQ(with_end[1].kind, LinkFrame::kFrame);
    EXPECT_EQ(with_end[1].first_time, 100);
    // Without an end, the next start ends a frame: the next frame's time is
    // its own start's first byte, again split between reads.
    const std::vector<LinkFrame> by_starts = Frames(
        Marks("\xAA\x55", ""), {{"\xAA", 100}, {"\x55\x01", 200}, {"\xAA", 300}, {"\x55", 400}, {"\x02", 500}});
    ASSERT_EQ(by_starts.size(), 2u);
    EXPECT_EQ(by_starts[0].first_time, 100);
    EXPECT_EQ(by_starts[1].first_time, 300);
    // A three-byte start over three reads.
    const std::vector<LinkFrame> three =
        Frames(Marks("\x10\x20\x30", "\x0D"), {{"\x10", 10}, {"\x20", 20}, {"\x30\x0D", 30}});
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(three[0].first_time, 10);
}

TEST(FramerMarks, FramesSplitAcrossChunksAtEveryPlace) {
    ExpectSameAtEveryCut(Marks("\x02", "\x03"), "\xFF\x02" "AB\x03\xEE\x02" "C\x03\x02");
    ExpectSameAtEveryCut(Marks("\xAA\x55", "\x0D\x0A"), "\xAA\xAA\x55\x01\x0D\x0D\x0A\x00\xAA\x55\x0D\x0A"s);
    ExpectSameAtEveryCut(Marks("\x7E", ""), "\x01\x7E\x02\x7E\x7E\x03");
    ExpectSameAtEveryCut(Marks("", "\x0D\x0A"), "A\x0D\x0D\x0A" "B\x0A\x0D\x0A");
}

// ---- Length fields ------------------------------------------------------

TEST(FramerLength, TheFieldGivesTheFramesLength) {
    struct Case {
        const char* what;
        FramingRule rule;
        std::string stream;
        const char* frames;
    } cases[] = {
        {"one byte at 0, the whole length", Length(0, 1, true, 0), std::string("\x03\x41\x42\x02\x43", 5),
         "F:03 41 42|F:02 43"},
        {"one byte at 1, counting the bytes after it", Length(1, 1, true, 2), std::string("\xAA\x02\x01\x02\xAA\x00", 6),
         "F:AA 02 01 02|F:AA 00"},
        // MODBUS TCP: six bytes of header before the unit, the field at 4
        // counts what follows it.
        {"MODBUS TCP, big endian at 4, plus 6", Length(4, 2, true, 6),
         std::string("\x00\x01\x00\x00\x00\x06\x11\x03\x00\x6B\x00\x03", 12),
         "F:00 01 00 00 00 06 11 03 00 6B 00 03"},
        {"little endian", Length(2, 2, false, 0), std::string("\x55\xAA\x06\x00\x01\x02", 6),
         "F:55 AA 06 00 01 02"},
        {"big endian, the same bytes", Length(2, 2, true, -1530), std::string("\x55\xAA\x06\x00\x01\x02", 6),
         "F:55 AA 06 00 01 02"},
        {"four bytes", Length(0, 4, true, 0), std::string("\x00\x00\x00\x05\x09", 5), "F:00 00 00 05 09"},
        {"four bytes, little", Length(0, 4, false, 0), std::string("\x05\x00\x00\x00\x09", 5), "F:05 00 00 00 09"},
        // A length no frame can have (shorter than the field's end): the
        // first byte is noise and the frame is looked for from the next.
        {"an impossible length, then frames", Length(0, 1, true, 0), std::string("\x00\x01\x02\x41", 4),
         "N:00|F:01|F:02 41"},
        {"cut off", Length(0, 1, true, 0), std::string("\x05\x01\x02", 3), "I:05 01 02"},
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(Frames(c.rule, {{c.stream, 0}})), c.frames) << c.what;
}

TEST(FramerLength, AClaimBeyondTheLimitIsNoise) {
    FramingRule rule = Length(0, 2, true, 0);
    rule.max_length = 8;
    EXPECT_EQ(Describe(Frames(rule, {{std::string("\x00\x09\x00\x03\x41", 5), 0}})), "N:00 09|F:00 03 41");
    EXPECT_EQ(Describe(Frames(rule, {{std::string("\x00\x08\x01\x02\x03\x04\x05\x06", 8), 0}})),
              "F:00 08 01 02 03 04 05 06");
}

TEST(FramerLength, FramesSplitAcrossChunksAtEveryPlace) {
    ExpectSameAtEveryCut(Length(4, 2, true, 6), std::string("\x00\x01\x00\x00\x00\x03\x11\x03\x00"
                                                            "\x00\x02\x00\x00\x00\x02\x11\x83", 17));
    ExpectSameAtEveryCut(Length(1, 2, false, 3), std::string("\xAA\x01\x00\x41\xAA\x00\x00\xAA\x02\x00\x42\x43", 12));
}

// ---- Lines --------------------------------------------------------------

TEST(FramerLines, TheLineEndStaysInTheLine) {
    struct Case {
        FramingRule::LineEnd end;
        std::string stream;
        const char* frames;
    } cases[] = {
        {FramingRule::kLf, "a\nb\r\nc", "F:61 0A|F:62 0D 0A|I:63"},
        {FramingRule::kCr, "a\rb\r\nc\r", "F:61 0D|F:62 0D|F:0A 63 0D"},
        {FramingRule::kCrLf, "a\rb\nc\r\nd\r\n", "F:61 0D 62 0A 63 0D 0A|F:64 0D 0A"},
        {FramingRule::kCrLf, "\r\r\n", "F:0D 0D 0A"},
        {FramingRule::kAnyEnd, "a\rb\nc\r\nd\n\re", "F:61 0D|F:62 0A|F:63 0D 0A|F:64 0A|F:0D|I:65"},
        {FramingRule::kAnyEnd, "\n\n\r\r", "F:0A|F:0A|F:0D|F:0D"},
        {FramingRule::kAnyEnd, "\r\n\r\n", "F:0D 0A|F:0D 0A"},
    };
    for (const Case& c : cases) EXPECT_EQ(Describe(Frames(Lines(c.end), {{c.stream, 0}})), c.frames) << c.stream;
}

TEST(FramerLines, ACrLfSplitBetweenChunksIsOneLineEnd) {
    for (FramingRule::LineEnd end : {FramingRule::kCrLf, FramingRule::kAnyEnd, FramingRule::kLf}) {
        EXPECT_EQ(Describe(Frames(Lines(end), {{"abc\r", 0}, {"\ndef\r\n", 10}})), "F:61 62 63 0D 0A|F:64 65 66 0D 0A");
    }
    for (FramingRule::LineEnd end : {FramingRule::kCr, FramingRule::kLf, FramingRule::kCrLf, FramingRule::kAnyEnd}) {
        ExpectSameAtEveryCut(Lines(end), "ab\r\ncd\n\ref\r\r\ng");
    }
}

TEST(FramerLines, ACrAtTheEndWaitsForTheNextByteOrForSilence) {
    const FramingRule rule = Lines(FramingRule::kAnyEnd);
    EXPECT_EQ(Describe(Frames(rule, {{"ok\r", 0}}, 999, 1000)), "");
    EXPECT_EQ(Describe(Frames(rule, {{"ok\r", 0}}, 1000, 1000)), "F:6F 6B 0D");
    EXPECT_EQ(Describe(Frames(rule, {{"ok", 0}}, 1000, 1000)), "I:6F 6B");
    // Without an idle time, only the next byte decides.
    EXPECT_EQ(Describe(Frames(rule, {{"ok\r", 0}}, 1000000, 0)), "");
}

// ---- Nothing lost -------------------------------------------------------

// Every byte pushed comes out once, in order, whatever the rule, the bytes,
// the chunks and their times.
TEST(Framer, EveryByteComesOutOnceInOrder) {
    std::mt19937 random(1235);
    const FramingRule rules[] = {Gap(500), Marks("\x02", "\x03"), Marks("\xAA\x55", ""), Marks("", "\x0A"),
                                 Length(1, 1, true, 0), Length(0, 2, false, -3), Lines(FramingRule::kAnyEnd),
                                 Lines(FramingRule::kCrLf)};
    for (const FramingRule& rule : rules) {
        for (int round = 0; round < 100; ++round) {
            Framer framer(rule);
            std::vector<LinkFrame> out;
            LinkBytes sent;
            LinkTime time = 0;
            for (int chunk = 0, n = static_cast<int>(random() % 20); chunk < n; ++chunk) {
                LinkBytes bytes(random() % 40);
                // Few values, so that marks, lengths and line ends come often.
                const unsigned char alphabet[] = {0x00, 0x02, 0x03, 0x0A, 0x0D, 0x55, 0xAA, 0x04};
                for (unsigned char& b : bytes) b = alphabet[random() % 8];
                time += random() % 1000;
                framer.Push(bytes.data(), bytes.size(), time, out);
                if (random() % 4 == 0) framer.Idle(time + static_cast<LinkTime>(random() % 1000), 700, out);
                sent.insert(sent.end(), bytes.begin(), bytes.end());
            }
            framer.Finish(out);
            LinkBytes received;
            for (const LinkFrame& f : out) {
                EXPECT_FALSE(f.bytes.empty());
                received.insert(received.end(), f.bytes.begin(), f.bytes.end());
            }
            ASSERT_EQ(Hex(received), Hex(sent)) << "rule " << rule.kind << ", round " << round;
            EXPECT_FALSE(framer.pending());
        }
    }
}

}  // namespace
