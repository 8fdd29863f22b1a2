// quobrix crc in-process: names, parameters, inputs and what is printed, with
// standard input and files faked block by block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/crc.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/emit_c.h"
#include "workbench/crc/model_text.h"
#include "support/crc_model.h"

namespace {

// What a stream holds, and the error reading it ends with, if any.
struct FakeStream {
    std::string bytes;
    std::string error;
};

struct Outcome {
    int code = -1;
    std::string out, err;
};

// Files not among `files` do not exist. Blocks are small and uneven, so that
// every stream's CRC is chained over many calls.
Outcome Crc(const std::vector<std::string>& args, const std::map<std::string, FakeStream>& files = {},
            const FakeStream& stdin_stream = {}) {
    constexpr std::size_t kBlockSizes[] = {1, 7, 64, 3};
    const auto feed = [&](const FakeStream& stream, const ConsumeBlock& consume, std::string& error) {
        std::size_t turn = 0;
        for (std::size_t pos = 0; pos < stream.bytes.size(); ++turn) {
            const std::size_t size = std::min(kBlockSizes[turn % 4], stream.bytes.size() - pos);
            consume(stream.bytes.data() + pos, size);
            pos += size;
        }
        error = stream.error;
        return error.empty();
    };
    CliEnvironment env;
    env.stream_stdin = [&](const ConsumeBlock& consume, std::string& error) {
        return feed(stdin_stream, consume, error);
    };
    env.stream_file = [&](const std::string& path, const ConsumeBlock& consume, std::string& error) {
        const auto file = files.find(path);
        if (file != files.end()) return feed(file->second, consume, error);
        error = "No such file or directory";
        return false;
    };
    std::vector<std::string> words{"crc"};
    words.insert(words.end(), args.begin(), args.end());
    Outcome outcome;
    outcome.code = RunCli(words, env, outcome.out, outcome.err);
    return outcome;
}

void ExpectPrints(const std::vector<std::string>& args, const std::string& out,
                  const std::map<std::string, FakeStream>& files = {}, const FakeStream& stdin_stream = {}) {
    const Outcome r = Crc(args, files, stdin_stream);
    EXPECT_EQ(r.code, 0) << args.back() << ": " << r.err;
    EXPECT_EQ(r.out, out) << args.back();
    EXPECT_EQ(r.err, "") << args.back();
}

// Exit 2, nothing on standard output, and each of `said` on standard error.
void ExpectError(const std::vector<std::string>& args, const std::vector<std::string>& said) {
    const Outcome r = Crc(args);
    EXPECT_EQ(r.code, 2) << args.front();
    EXPECT_EQ(r.out, "") << args.front();
    EXPECT_EQ(r.err.rfind("quobrix: ", 0), 0u) << r.err;
    for (const std::string& part : said) EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
}

const std::string kCheckText = "123456789";

// CRC-32/ISO-HDLC bit by bit, the reference for inputs without a check value.
const crc_model::CrcModel& kIsoHdlc = crc_model::kCrc32Model;

std::string Hex32(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

}  // namespace

// The catalogue's own check values, through the whole command line; the names
// in lower case, since any case is the same name.
TEST(CrcCommand, EveryModelReproducesItsCheck) {
    ASSERT_EQ(CrcCatalogue().size(), 113u);
    for (const CrcModel& model : CrcCatalogue()) {
        std::string lower(model.name);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::string digits = CrcHexDigits(model.check, model.params.width, true);
        ASSERT_EQ(digits.size(), static_cast<std::size_t>((model.params.width + 3) / 4));
        ExpectPrints({lower, "--text", kCheckText}, digits + "\n");
    }
}

TEST(CrcCommand, ListIsTheCatalogueFile) {
    std::ifstream file(std::string(QUOBRIX_CRC_CATALOGUE_DIR) + "/models.txt", std::ios::binary);
    const std::string models{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(std::count(models.begin(), models.end(), '\n'), 113);
    ExpectPrints({"--list"}, models);
}

TEST(CrcCommand, BytesOnTheWire) {
    ExpectPrints({"CRC-16/MODBUS", "--text", kCheckText}, "4B37\n");
    ExpectPrints({"CRC-16/MODBUS", "--bytes", "le", "--text", kCheckText}, "37 4B\n");
    ExpectPrints({"CRC-16/MODBUS", "--text", kCheckText, "--bytes", "be"}, "4B 37\n");
    // Widths that are not whole bytes get zero bits on top: 0xDAF, 0x4, and
    // the 21 digits of CRC-82/DARC's 0x09ea83f625023801fd612 in 11 bytes.
    ExpectPrints({"CRC-12/UMTS", "--bytes", "be", "--text", kCheckText}, "0D AF\n");
    ExpectPrints({"CRC-12/UMTS", "--bytes", "le", "--text", kCheckText}, "AF 0D\n");
    ExpectPrints({"CRC-3/GSM", "--bytes", "le", "--text", kCheckText}, "04\n");
    ExpectPrints({"CRC-82/DARC", "--bytes", "be", "--text", kCheckText}, "00 9E A8 3F 62 50 23 80 1F D6 12\n");
    ExpectPrints({"CRC-82/DARC", "--bytes", "le", "--text", kCheckText}, "12 D6 1F 80 23 50 62 3F A8 9E 00\n");
    EXPECT_EQ(CrcText(Uint128{0x1, 0x0203040506070809}, 72, CrcNotation::BytesLowFirst),
              "09 08 07 06 05 04 03 02 01");
}

// CCITT has named three CRCs: the error lists each with its check.
TEST(CrcCommand, CcittIsAmbiguous) {
    for (const char* name : {"CCITT", "crc-ccitt", "CRC-16/CCITT"}) {
        ExpectError({name, "--text", kCheckText},
                    {"CRC-16/IBM-3740", "29B1", "CRC-16/XMODEM", "31C3", "CRC-16/KERMIT", "2189"});
        const Outcome r = Crc({name, "--text", kCheckText});
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 4) << r.err;
    }
}

TEST(CrcCommand, UnknownNamesSuggestTheNearest) {
    ExpectError({"CRC-16/MODBOS", "--text", kCheckText}, {"no CRC is called \"CRC-16/MODBOS\"", "CRC-16/MODBUS"});
    // The name is echoed with its control and stray bytes escaped.
    ExpectError({"bad\x01\xFF", "--text", kCheckText}, {"no CRC is called \"bad\\x01\\xFF\""});
    ExpectError({"nothing-like-it"}, {"no CRC is called", "--list"});
}

// A former name still works, with a note of what it is called now.
TEST(CrcCommand, FormerNameIsNoted) {
    const Outcome r = Crc({"crc-4/itu", "--text", kCheckText});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "7\n");
    EXPECT_EQ(r.err, "quobrix: CRC-4/ITU is the former name of CRC-4/G-704\n");
}

TEST(CrcCommand, ParameterLines) {
    const std::string modbus = "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000";
    ExpectPrints({modbus, "--text", kCheckText}, "4B37\n");
    ExpectPrints({modbus + " check=0x4b37 name=\"MINE\"", "--text", kCheckText}, "4B37\n");
    ExpectError({modbus + " check=0x4b38", "--text", kCheckText}, {"check=0x4b38 does not hold", "0x4b37"});
    ExpectError({"width=16 poly=0x8005", "--text", kCheckText}, {"not a CRC parameter line"});
}

TEST(CrcCommand, ParametersOfOnesOwn) {
    ExpectPrints({"--width", "16", "--poly", "8005", "--init", "0xFFFF", "--refin", "true", "--text", kCheckText},
                 "4B37\n");
    // refout follows refin unless given: CRC-12/UMTS has them differ.
    ExpectPrints({"--width", "12", "--poly", "80f", "--refout", "true", "--text", kCheckText}, "DAF\n");
    ExpectPrints({"--width", "12", "--poly", "80f", "--refin=true", "--refout", "false", "--text", kCheckText},
                 "863\n");
    ExpectPrints({"--width=32", "--poly=04C11DB7", "--init=FFFFFFFF", "--xorout=0xffffffff", "--refin", "true",
                  "--text", "a\r\n"},
                 Hex32(kIsoHdlc.Crc(std::string("a\r\n")), 8) + "\n");
    // An even polynomial is a weak CRC, but a CRC.
    const crc_model::CrcModel even{8, 0x02, 0x00, 0x00, false};
    ExpectPrints({"--width", "8", "--poly", "2", "--text", kCheckText}, Hex32(even.Crc(kCheckText), 2) + "\n");

    ExpectError({"--width", "0", "--poly", "1"}, {"width 0 is outside 1 to 82"});
    ExpectError({"--width", "8", "--poly", "7", "--refin", "yes"},
                {"--refin takes true or false, not 'yes' (Usage: quobrix crc MODEL [FILE...]; quobrix crc --help"});
    ExpectError({"--width", "83", "--poly", "1"}, {"width 83 is outside 1 to 82"});
    ExpectError({"--width", "8", "--poly", "1ff"}, {"poly has bits above the width of 8"});
    ExpectError({"--width", "8", "--poly", "7", "--xorout", "100"}, {"xorout has bits above"});
    ExpectError({"--width", "8", "--poly", "7", "--init", "0xg"}, {"--init '0xg' is no hex number"});
    ExpectError({"--width", "-8", "--poly", "7"}, {"--width '-8' is no number of bits"});
    ExpectError({"--width", "99999999999", "--poly", "7"}, {"no number of bits"});
    ExpectError({"--poly", "7", "--text", "1"}, {"need --width and --poly"});
}

TEST(CrcCommand, TextHexAndGbk) {
    const std::string check = Hex32(kIsoHdlc.Crc(kCheckText), 8) + "\n";
    ExpectPrints({"CRC-32/ISO-HDLC", "--hex", "31 32 33 34 35 36 37 38 39"}, check);
    ExpectPrints({"CRC-32/ISO-HDLC", "--hex", "0x31,0x32,0x3334:35-36373839"}, check);
    // Lone digits are bytes of their own; a 0x prefix is dropped.
    ExpectPrints({"CRC-32/ISO-HDLC", "--hex", "1 2 0xA"}, Hex32(kIsoHdlc.Crc(std::string("\x01\x02\x0A")), 8) + "\n");
    ExpectPrints({"CRC-32/ISO-HDLC", "--hex", ""}, "00000000\n");
    ExpectPrints({"CRC-32/ISO-HDLC", "--text", ""}, "00000000\n");
    ExpectError({"CRC-32/ISO-HDLC", "--hex", "zz"}, {"--hex 'zz' gives no bytes"});
    // The text's UTF-8 bytes as they are; with --gbk the GBK bytes D6 D0.
    ExpectPrints({"CRC-32/ISO-HDLC", "--text", "中"}, Hex32(kIsoHdlc.Crc(std::string("\xE4\xB8\xAD")), 8) + "\n");
    ExpectPrints({"CRC-32/ISO-HDLC", "--gbk", "--text", "中"}, Hex32(kIsoHdlc.Crc(std::string("\xD6\xD0")), 8) + "\n");
    ExpectError({"CRC-32/ISO-HDLC", "--gbk", "--text", "ab가"}, {"'가' (U+AC00) at byte offset 2", "no GBK"});
    ExpectError({"CRC-32/ISO-HDLC", "--gbk", "--text", "a\xFF"}, {"not valid UTF-8 at byte offset 1"});
}

// Standard input and files, md5sum's way: one line a file, "-" standard
// input, a file that cannot be read reported while the others still run.
TEST(CrcCommand, FilesAndStandardInput) {
    const std::map<std::string, FakeStream> files = {
        {"a.bin", {kCheckText, ""}},
        {"empty", {"", ""}},
        {"broken", {std::string(100, 'x'), "Input/output error"}},
        {"two\nlines\\", {kCheckText, ""}},
    };
    const FakeStream input{"123456789", ""};
    ExpectPrints({"CRC-16/MODBUS"}, "4B37\n", files, input);
    ExpectPrints({"CRC-16/MODBUS", "a.bin", "-", "empty"}, "4B37  a.bin\n4B37  -\nFFFF  empty\n", files, input);
    ExpectPrints({"--width", "16", "--poly", "8005", "--init", "ffff", "--refin", "true", "--bytes", "le", "a.bin"},
                 "37 4B  a.bin\n", files);
    // "--" ends the options: what follows is a FILE, even "--help".
    ExpectPrints({"CRC-16/MODBUS", "a.bin", "--", "--help"}, "4B37  a.bin\n4B37  --help\n",
                 {{"a.bin", {kCheckText, ""}}, {"--help", {kCheckText, ""}}});
    // A line break in a name would break the line: md5sum's escape.
    ExpectPrints({"CRC-16/MODBUS", "two\nlines\\"}, "\\4B37  two\\nlines\\\\\n", files);

    const Outcome r = Crc({"CRC-16/MODBUS", "a.bin", "missing", "broken", "empty"}, files);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "4B37  a.bin\nFFFF  empty\n");
    EXPECT_EQ(r.err, "quobrix: missing: No such file or directory\nquobrix: broken: Input/output error\n");

    const Outcome no_stdin = Crc({"CRC-16/MODBUS"}, files, {"12", "Bad file descriptor"});
    EXPECT_EQ(no_stdin.code, 2);
    EXPECT_EQ(no_stdin.out, "");
    EXPECT_EQ(no_stdin.err, "quobrix: cannot read standard input: Bad file descriptor\n");
}

// Each file's line goes out before the next file is read, and a failed write
// stops the reading.
TEST(CrcCommand, FileLinesGoOutAsTheyAreKnown) {
    std::vector<std::string> written;
    std::vector<std::size_t> lines_out_when_read;
    bool writes_fail = false;
    CliEnvironment env;
    env.stream_file = [&](const std::string&, const ConsumeBlock& consume, std::string&) {
        lines_out_when_read.push_back(written.size());
        consume(kCheckText.data(), kCheckText.size());
        return true;
    };
    env.write_stdout = [&](const std::string& bytes) {
        if (writes_fail) return false;
        written.push_back(bytes);
        return true;
    };
    std::string out, err;
    EXPECT_EQ(RunCli({"crc", "CRC-16/MODBUS", "a", "b", "c"}, env, out, err), 0);
    EXPECT_EQ(written, (std::vector<std::string>{"4B37  a\n", "4B37  b\n", "4B37  c\n"}));
    EXPECT_EQ(lines_out_when_read, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(out, "");

    writes_fail = true;
    lines_out_when_read.clear();
    EXPECT_EQ(RunCli({"crc", "CRC-16/MODBUS", "a", "b"}, env, out, err), 2);
    EXPECT_EQ(lines_out_when_read.size(), 1u);
    EXPECT_EQ(out, "4B37  a\n") << "left for the final write, which says why it failed";
}

TEST(CrcCommand, EmitsTheSourceOfTheResolvedModel) {
    const CrcModel& modbus = *std::find_if(CrcCatalogue().begin(), CrcCatalogue().end(),
                                           [](const CrcModel& model) { return model.name == "CRC-16/MODBUS"; });
    const Outcome r = Crc({"modbus", "--emit", "c"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, EmitCrcC(modbus.params, "CRC-16/MODBUS"));
    EXPECT_EQ(r.err, "quobrix: MODBUS is the former name of CRC-16/MODBUS\n");
}

TEST(CrcCommand, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        std::string said;
    } cases[] = {
        {{}, "no MODEL given"},
        {{"--list", "CRC-16/MODBUS"}, "--list stands alone"},
        {{"--list", "--bytes", "le"}, "--list stands alone"},
        {{"CRC-16/MODBUS", "--text", "1", "--hex", "1"}, "exclude each other"},
        {{"CRC-16/MODBUS", "--text", "1", "file"}, "take no FILE"},
        {{"CRC-16/MODBUS", "--gbk", "--hex", "1"}, "--gbk goes with --text"},
        {{"CRC-16/MODBUS", "--bytes", "LE"}, "--bytes takes be or le"},
        {{"CRC-16/MODBUS", "--emit", "python"}, "--emit takes c"},
        {{"CRC-16/MODBUS", "--emit", "c", "file"}, "--emit c takes no input"},
        {{"CRC-16/MODBUS", "--nosuch"}, "unknown option '--nosuch'"},
        {{"CRC-16/MODBUS", "--text"}, "--text"},
    };
    for (const auto& c : cases) {
        const Outcome r = Crc(c.args);
        EXPECT_EQ(r.code, 2) << c.said;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    // The dialog's options belong before the dialog's tools only.
    CliEnvironment env;
    std::string out, err;
    EXPECT_EQ(RunCli({"--gbk", "crc", "CRC-16/MODBUS", "--text", "1"}, env, out, err), 2);
    EXPECT_NE(err.find("--gbk belongs to the dialog's tools"), std::string::npos) << err;
}

TEST(CrcCommand, Help) {
    CliEnvironment env;
    std::string out, err;
    EXPECT_EQ(RunCli({"crc", "--help"}, env, out, err), 0);
    EXPECT_EQ(out.rfind("Usage: quobrix crc MODEL", 0), 0u);
    for (const char* option : {"--list", "--text", "--gbk", "--hex", "--bytes", "--emit", "--width", "--poly",
                               "--init", "--refin", "--refout", "--xorout"}) {
        EXPECT_NE(out.find(std::string("  ") + option), std::string::npos) << option;
    }
    out.clear();
    EXPECT_EQ(RunCli({"--help"}, env, out, err), 0);
    EXPECT_NE(out.find("\n  crc  "), std::string::npos) << out;
}
