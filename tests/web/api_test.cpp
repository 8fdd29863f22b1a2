// The page's C interface in-process: a command run through it prints what the
// command line prints, and a file's CRC fed block by block gives the line
// `quobrix crc MODEL FILE` gives, the catalogue's check values and its
// messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/random_bytes.h"
#include "tests/cli/in_process.h"
#include "web/api.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/model_text.h"

namespace {

CliOutcome Results(int code) {
    return CliOutcome{code, std::string(quobrix_out(), quobrix_out_size()),
                      std::string(quobrix_err(), quobrix_err_size())};
}

// As the page calls it: the words each ended by a NUL, in one buffer.
CliOutcome PageRun(const std::vector<std::string>& words, const std::string& input = "") {
    std::string args;
    for (const std::string& word : words) args += word + '\0';
    return Results(quobrix_run(args.data(), args.size(), input.data(), input.size()));
}

void ExpectSame(const CliOutcome& page, const CliOutcome& cli, const std::string& what) {
    EXPECT_EQ(page.code, cli.code) << what;
    EXPECT_EQ(page.out, cli.out) << what;
    EXPECT_EQ(page.err, cli.err) << what;
}

// The file line as the command line prints it for `bytes` in a file `name`,
// read in blocks of its own.
CliOutcome CliFileCrc(const std::vector<std::string>& words, const std::string& name, const std::string& bytes) {
    CliEnvironment env;
    env.stream_file = [&](const std::string& path, const ConsumeBlock& consume, std::string& error) {
        if (path != name) {
            error = "no such file";
            return false;
        }
        for (std::size_t at = 0; at < bytes.size(); at += 4096)
            consume(bytes.data() + at, std::min<std::size_t>(4096, bytes.size() - at));
        return true;
    };
    CliOutcome outcome;
    std::vector<std::string> args = words;
    args.push_back(name);
    outcome.code = RunCli(args, env, outcome.out, outcome.err);
    return outcome;
}

// Through begin, update in uneven blocks, finish.
CliOutcome PageFileCrc(const std::string& model, int notation, const std::string& name, const std::string& bytes) {
    const int begun = quobrix_crc_begin(model.data(), model.size(), notation);
    if (begun != 0) return Results(begun);
    const std::string note(quobrix_err(), quobrix_err_size());
    constexpr std::size_t kBlocks[] = {1, 5, 300, 64, 4099};
    std::size_t turn = 0;
    for (std::size_t at = 0; at < bytes.size(); ++turn) {
        const std::size_t size = std::min(kBlocks[turn % std::size(kBlocks)], bytes.size() - at);
        quobrix_crc_update(bytes.data() + at, size);
        at += size;
    }
    CliOutcome outcome = Results(quobrix_crc_finish(name.data(), name.size()));
    outcome.err = note;
    return outcome;
}

std::string RandomText(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    const std::vector<unsigned char> bytes = RandomBytes(random, size);
    return std::string(bytes.begin(), bytes.end());
}

const std::vector<std::string> kModbusFrames = {"01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B",
                                                "11 03 00 6B 00 03 76 87"};

TEST(WebApiRun, PrintsWhatTheCommandLinePrints) {
    std::vector<std::vector<std::string>> commands = {
        {"crc", "CRC-16/MODBUS", "--text", "123456789"},
        {"crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"},
        {"crc", "CRC-16/MODBUS", "--text", ""},
        {"crc", "--width", "16", "--poly", "1021", "--init", "ffff", "--text", "123456789"},
        {"crc", "CRC-16/CCITT", "--text", "123456789"},  // ambiguous: a list of three
        {"crc", "CRC-4/ITU", "--text", "123456789"},     // a former name, noted
        {"crc", "--list"},
        {"crc16", "123456789"},
        {"md5", "--", "-dash first"},
        {"float2hex", "--low-first", "0.1"},
        {"hex2ascii", "--hex", "41 42 zz"},
        {"num", "41", "20", "00", "00"},
        {"num", "--type", "float32", "--order", "CDAB", "--from", "230.5"},
        {"frame", "CRC-16/MODBUS le head=0 tail=0", "11", "03", "00", "6B", "00", "03"},
        {"frame", "CRC-16/MODBUS", "--order", "le", "--verify", "01 03 00 00 00 0A C5 CE"},
        {"array", "--name", "greeting", "--text", "Hello, world"},
        {"array", "--type", "u16be", "--crc", "--hex", "12 34 AB CD 00 01"},
        {"array", "--type", "u32le", "--hex", "12 34 AB"},  // no whole element
        {"array", "--reverse", "--type", "u16le", "--text", "{ 0x1234, -1, 'A' }"},
        {"random", "--count", "5", "--range", "-5..5", "--seed", "42", "--format", "c", "--name", "offsets"},
        {"random", "--count", "20", "--bytes", "--seed", "7"},
        {"random", "--range", "6..1", "--seed", "1"},
        {"parts", "--series", "E24", "4.8k"},
        {"parts", "divider", "12", "3.3", "--count", "3"},
        {"parts", "code", "resistor", "yellow", "violet", "red", "gold"},
        {"parts", "mark", "resistor", "4.99k", "--tolerance", "0.1", "--tempco", "25"},
        {"filter", "sallen-key", "1k", "--count", "2"},
        {"filter", "rc", "--r", "16k", "--c", ""},
        {"printf", "--explain", "%5.1Lf|%hu\\n", "2.25", "-1"},
        {"printf", "%#.2g|%a", "99.95", "0.1"},
        {"printf", "%d", "abc"},
        {"nosuch"},
        {"crc", "--bytes", "sideways"},
        {"--version"},
    };
    std::vector<std::string> find = {"find"};
    find.insert(find.end(), kModbusFrames.begin(), kModbusFrames.end());
    commands.push_back(find);
    for (const std::vector<std::string>& words : commands) {
        std::string what;
        for (const std::string& word : words) what += word + " ";
        ExpectSame(PageRun(words), RunInProcess(words), what);
    }
}

// The page runs the commands it offers: its help is quobrix's without the
// others' sections, and their names are unknown to it.
TEST(WebApiRun, HelpIsTheCommandLinesForThePagesCommands) {
    std::string expected = RunInProcess({"--help"}).out;
    std::vector<std::string> left_out;
    for (std::size_t i = 0; i < kCliCommandCount; ++i) {
        const CliCommand& command = kCliCommands[i];
        const CliCommand* const page_end = kPageCommands.commands + kPageCommands.count;
        if (std::find_if(kPageCommands.commands, page_end, [&](const CliCommand& c) {
                return std::string(c.name) == command.name;
            }) != page_end) {
            continue;
        }
        const std::string section = command.help_section() + "\n";
        const std::size_t at = expected.find(section);
        ASSERT_NE(at, std::string::npos) << command.name;
        expected.erase(at, section.size());
        left_out.push_back(command.name);
    }
    const CliOutcome help = PageRun({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, expected);
    ASSERT_FALSE(left_out.empty());
    for (const std::string& name : left_out) {
        const CliOutcome run = PageRun({name, "1"});
        EXPECT_EQ(run.code, 2) << name;
        EXPECT_NE(run.err.find("unknown tool '" + name + "'"), std::string::npos) << run.err;
    }
}

TEST(WebApiRun, ThePublishedResults) {
    EXPECT_EQ(PageRun({"crc", "CRC-16/MODBUS", "--text", "123456789"}).out, "4B37\n");
    EXPECT_EQ(PageRun({"crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"}).out, "37 4B\n");
    EXPECT_EQ(PageRun({"crc", "CRC-32/ISO-HDLC", "--hex", "31 32 33 34 35 36 37 38 39"}).out, "CBF43926\n");
    std::vector<std::string> find = {"find"};
    find.insert(find.end(), kModbusFrames.begin(), kModbusFrames.end());
    EXPECT_EQ(PageRun(find).out, "CRC-16/MODBUS le head=0 tail=0\n");
    // The table's row of the order ABCD ends in the float32's value.
    const std::string table = PageRun({"num", "41", "20", "00", "00"}).out;
    const std::size_t row = table.find("\nABCD ");
    ASSERT_NE(row, std::string::npos) << table;
    const std::string line = table.substr(row + 1, table.find('\n', row + 1) - row - 1);
    EXPECT_EQ(line.substr(line.find_last_of(' ') + 1), "10") << line;
}

// Standard input is the input buffer, as a pipe into the program is.
TEST(WebApiRun, InputIsStandardInput) {
    const std::string text = "abc\xE4\xB8\xAD\xE6\x96\x87xyz";
    ExpectSame(PageRun({"upper"}, text), RunInProcess({"upper", text}), "upper");
    EXPECT_EQ(PageRun({"upper"}, text).out, "ABC\xE4\xB8\xAD\xE6\x96\x87XYZ");
    EXPECT_EQ(PageRun({"crc", "CRC-32/ISO-HDLC"}, "123456789").out, "CBF43926\n");
    std::string frames;
    for (const std::string& frame : kModbusFrames) frames += frame + "\n";
    EXPECT_EQ(PageRun({"find"}, frames).out, "CRC-16/MODBUS le head=0 tail=0\n");
}

// A page has no files to open: a FILE is reported as the command line
// reports one that is not there, and the run goes on.
TEST(WebApiRun, NamedFilesAreNotThere) {
    const CliOutcome outcome = PageRun({"crc", "CRC-16/MODBUS", "capture.bin"});
    EXPECT_EQ(outcome.code, kExitUsage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "quobrix: capture.bin: No such file or directory\n");
}

TEST(WebApiFileCrc, EveryModelGivesTheCommandLinesLine) {
    const std::string bytes = RandomText(20000, 23);
    for (const CrcModel& model : CrcCatalogue()) {
        const std::string name(model.name);
        ExpectSame(PageFileCrc(name, 0, "capture.bin", bytes), CliFileCrc({"crc", name}, "capture.bin", bytes),
                   name);
    }
}

TEST(WebApiFileCrc, EachNotationAndAParameterLine) {
    const std::string bytes = RandomText(9000, 5);
    ExpectSame(PageFileCrc("CRC-16/MODBUS", 1, "a.bin", bytes),
               CliFileCrc({"crc", "CRC-16/MODBUS", "--bytes", "be"}, "a.bin", bytes), "be");
    ExpectSame(PageFileCrc("CRC-16/MODBUS", 2, "a.bin", bytes),
               CliFileCrc({"crc", "CRC-16/MODBUS", "--bytes", "le"}, "a.bin", bytes), "le");
    const std::string line = "width=12 poly=0x80f init=0x000 refin=false refout=true xorout=0x000";
    ExpectSame(PageFileCrc(line, 2, "a.bin", bytes), CliFileCrc({"crc", line, "--bytes", "le"}, "a.bin", bytes),
               line);
}

TEST(WebApiFileCrc, TheCataloguesCheckValues) {
    for (const CrcModel& model : CrcCatalogue()) {
        const std::string name(model.name);
        EXPECT_EQ(PageFileCrc(name, 0, "check", "123456789").out,
                  CrcHexDigits(model.check, model.params.width, true) + "  check\n")
            << name;
    }
}

TEST(WebApiFileCrc, NamesWithLineBreaksAndEmptyFiles) {
    const std::string name = "two\nlines\\and\rmore";
    ExpectSame(PageFileCrc("CRC-32/ISO-HDLC", 0, name, "x"), CliFileCrc({"crc", "CRC-32/ISO-HDLC"}, name, "x"),
               "escaped name");
    EXPECT_EQ(PageFileCrc("CRC-32/ISO-HDLC", 0, name, "x").out.front(), '\\');
    EXPECT_EQ(PageFileCrc("CRC-32/ISO-HDLC", 0, "empty", "").out, "00000000  empty\n");
}

TEST(WebApiFileCrc, BadModelsSayWhatTheCommandLineSays) {
    for (const std::string model : {"CRC-16/NOSUCH", "CRC-16/CCITT", "width=16 poly=0x8005 check=0x1234", ""}) {
        const CliOutcome page = PageFileCrc(model, 0, "a.bin", "abc");
        const CliOutcome cli = CliFileCrc({"crc", model}, "a.bin", "abc");
        EXPECT_EQ(page.code, kExitUsage) << model;
        EXPECT_EQ(page.err, cli.err) << model;
        EXPECT_EQ(page.out, "") << model;
        EXPECT_NE(page.err, "") << model;
    }
    // A former name is noted and the CRC given.
    ExpectSame(PageFileCrc("CRC-4/ITU", 0, "a.bin", "abc"), CliFileCrc({"crc", "CRC-4/ITU"}, "a.bin", "abc"),
               "former name");
    EXPECT_NE(quobrix_crc_begin("CRC-4/ITU", 9, 3), 0);  // no such notation
    EXPECT_NE(quobrix_crc_finish("a", 1), 0);            // nothing begun
}

// As the page's workers hash a large file: each span begun apart and its
// register taken, then the spans joined in order and the line finished.
CliOutcome PageSpansCrc(const std::string& model, const std::string& name, const std::string& bytes,
                        const std::vector<std::size_t>& cuts) {
    std::vector<std::string> registers;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        EXPECT_EQ(quobrix_crc_begin(model.data(), model.size(), 0), 0);
        quobrix_crc_begin_span();
        quobrix_crc_update(bytes.data() + cuts[i], cuts[i + 1] - cuts[i]);
        quobrix_crc_register();
        registers.emplace_back(quobrix_out(), quobrix_out_size());
    }
    const int begun = quobrix_crc_begin(model.data(), model.size(), 0);
    if (begun != 0) return Results(begun);
    const std::string note(quobrix_err(), quobrix_err_size());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int joined =
            quobrix_crc_join(registers[i].data(), registers[i].size(), static_cast<double>(cuts[i + 1] - cuts[i]));
        if (joined != 0) return Results(joined);
    }
    CliOutcome outcome = Results(quobrix_crc_finish(name.data(), name.size()));
    outcome.err = note;
    return outcome;
}

TEST(WebApiFileCrc, SpansJoinedGiveTheCommandLinesLine) {
    const std::string bytes = RandomText(20000, 7);
    // An empty span, spans of a few bytes, and spans long enough for the
    // engine's fastest paths.
    const std::vector<std::size_t> cuts = {0, 0, 3, 9000, 9001, 20000};
    for (const CrcModel& model : CrcCatalogue()) {
        const std::string name(model.name);
        ExpectSame(PageSpansCrc(name, "capture.bin", bytes, cuts), CliFileCrc({"crc", name}, "capture.bin", bytes),
                   name);
    }
    // One span is the whole file.
    ExpectSame(PageSpansCrc("CRC-32/ISO-HDLC", "a.bin", bytes, {0, bytes.size()}),
               CliFileCrc({"crc", "CRC-32/ISO-HDLC"}, "a.bin", bytes), "one span");
}

TEST(WebApiFileCrc, AJoinOfNoRegisterOrNoSizeIsRefused) {
    const std::string zeros(32, '0');
    ASSERT_EQ(quobrix_crc_begin("CRC-32/ISO-HDLC", 15, 0), 0);
    EXPECT_EQ(quobrix_crc_join(zeros.data(), zeros.size(), 5), 0);
    for (const std::string& reg : {std::string(31, '0'), std::string(33, '0'), std::string(31, '0') + "g",
                                  std::string(31, '0') + "A", std::string()}) {
        EXPECT_EQ(quobrix_crc_join(reg.data(), reg.size(), 5), kExitUsage) << reg;
        EXPECT_NE(std::string(quobrix_err(), quobrix_err_size()), "") << reg;
    }
    for (const double size : {-1.0, 0.5, 1e300, 9007199254740994.0, std::nan("")}) {
        EXPECT_EQ(quobrix_crc_join(zeros.data(), zeros.size(), size), kExitUsage) << size;
    }
    // The refusals left the register as it was: five zero bytes after the
    // start, then nothing more.
    EXPECT_EQ(quobrix_crc_finish("f", 1), 0);
    EXPECT_EQ(std::string(quobrix_out(), quobrix_out_size()),
              CliFileCrc({"crc", "CRC-32/ISO-HDLC"}, "f", std::string(5, '\0')).out);
    EXPECT_EQ(quobrix_crc_join(zeros.data(), zeros.size(), 5), kExitUsage);  // nothing begun
}

// The page's reading errors say what the command line says of a file it
// cannot read, the name escaped alike.
TEST(WebApiFileCrc, AFileThatCannotBeReadIsReportedAsTheCommandLineReportsIt) {
    for (const std::string name : {"capture.bin", "\xFFodd\tname", "line\nbreak"}) {
        CliEnvironment env;
        env.stream_file = [](const std::string&, const ConsumeBlock&, std::string& error) {
            error = "The file could not be read.";
            return false;
        };
        CliOutcome expected;
        expected.code = RunCli({"crc", "CRC-32/ISO-HDLC", name}, env, expected.out, expected.err);
        const std::string why = "The file could not be read.";
        quobrix_crc_read_error(name.data(), name.size(), why.data(), why.size());
        EXPECT_EQ(std::string(quobrix_err(), quobrix_err_size()), expected.err) << name;
        EXPECT_EQ(quobrix_out_size(), 0u) << name;
        EXPECT_EQ(expected.code, kExitUsage) << name;
    }
}

TEST(WebApiCatalogue, EveryModelWithItsCheck) {
    quobrix_catalogue();
    const std::string json(quobrix_out(), quobrix_out_size());
    ASSERT_FALSE(json.empty());
    EXPECT_EQ(json.front(), '[');
    EXPECT_EQ(json.back(), ']');
    std::size_t entries = 0;
    for (std::size_t at = json.find("{\"name\":"); at != std::string::npos; at = json.find("{\"name\":", at + 1))
        ++entries;
    EXPECT_EQ(entries, 113u);
    EXPECT_NE(json.find("{\"name\":\"CRC-16/MODBUS\",\"width\":16,\"check\":\"4B37\"}"), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"CRC-32/ISO-HDLC\",\"width\":32,\"check\":\"CBF43926\"}"), std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"CRC-82/DARC\",\"width\":82,\"check\":\"09EA83F625023801FD612\"}"),
              std::string::npos);
}

// The page's list of the dialog's tools: the tools `quobrix --help` lists, in
// its order and with its summaries, and the dialog's captions for them.
TEST(WebApiDialogTools, TheHelpsToolsWithTheDialogsCaptions) {
    const std::string help = RunInProcess({"--help"}).out;
    const std::size_t group = help.find("The dialog's tools:\n");
    ASSERT_NE(group, std::string::npos) << help;
    quobrix_dialog_tools();
    const std::string json(quobrix_out(), quobrix_out_size());
    // Each entry in turn, as the help's line gives its name and summary;
    // its caption is what lies between the quotes after "button".
    std::string rebuilt = "[";
    std::vector<std::string> captions;
    std::size_t in_json = 0;
    for (std::size_t at = help.find('\n', group) + 1; help.compare(at, 2, "  ") == 0; at = help.find('\n', at) + 1) {
        const std::string line = help.substr(at + 2, help.find('\n', at) - at - 2);
        const std::size_t gap = line.find(' ');
        const std::string entry = "{\"name\":\"" + line.substr(0, gap) + "\",\"summary\":\"" +
                                  line.substr(line.find_first_not_of(' ', gap)) + "\",\"button\":\"";
        if (!captions.empty()) rebuilt += ",";
        const std::size_t start = json.find(entry, in_json) + entry.size(), end = json.find('"', start);
        captions.push_back(json.substr(start, end - start));
        rebuilt += entry + captions.back() + "\"}";
        in_json = end;
    }
    EXPECT_EQ(json, rebuilt + "]");
    ASSERT_EQ(captions.size(), 15u);
    // As the dialog's buttons read (res/quobrix.rc).
    EXPECT_EQ(captions[0], "8位校验和");
    EXPECT_EQ(captions[3], "计算CRC16");
    EXPECT_EQ(captions[7], "十六进制转换");
    EXPECT_EQ(captions[8], "Hex->Ascii");
    EXPECT_EQ(captions[14], "字符串反转");
}

}  // namespace

// ---- The serial tab's link ------------------------------------------------

namespace {

// CRC-16/MODBUS bit by bit, as its definition reads: the oracle of the
// checks below beside the protocol's own worked examples.
std::string ModbusCrcLowFirst(const std::string& data) {
    unsigned crc = 0xFFFF;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return std::string{static_cast<char>(crc & 0xFF), static_cast<char>(crc >> 8)};
}

std::string SpacedHex(const std::string& bytes) {
    std::string text;
    char digits[4];
    for (unsigned char b : bytes) {
        std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", b);
        text += digits;
    }
    return text;
}

std::string Raw(std::initializer_list<unsigned> values) {
    std::string bytes;
    for (unsigned v : values) bytes += static_cast<char>(v);
    return bytes;
}

int OpenLink(double gap_ms, const std::string& check, int encoding = 0) {
    const int link = quobrix_link_open(gap_ms, encoding);
    if (link > 0 && quobrix_link_check(link, check.data(), check.size()) != 0) {
        quobrix_link_close(link);
        return 0;
    }
    return link;
}

CliOutcome Push(int link, const std::string& bytes, double time_ms) {
    return Results(quobrix_link_push(link, bytes.data(), bytes.size(), time_ms));
}

CliOutcome Send(int link, const std::string& data, int kind) {
    return Results(quobrix_link_send(link, data.data(), data.size(), kind));
}

// A frame's row as the module writes it.
std::string Row(double time, const std::string& bytes, const std::string& text, const std::string& verdict) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f", time);
    return std::string("{\"kind\":\"frame\",\"time\":") + stamp + ",\"hex\":\"" + SpacedHex(bytes) +
           "\",\"text\":\"" + text + "\"" + (verdict.empty() ? "" : ",\"verdict\":" + verdict) + "}";
}

const std::string kRequestData = Raw({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A});
// MODBUS over serial line's example: three registers of slave 17.
const std::string kAnswer = Raw({0x11, 0x03, 0x06, 0xAE, 0x41, 0x56, 0x52, 0x43, 0x40, 0x49, 0xAD});

}  // namespace

TEST(WebApiLink, AFrameSentCarriesItsCheckInTheOrderChosen) {
    const int le = OpenLink(20, "CRC-16/MODBUS le");
    ASSERT_GT(le, 0) << quobrix_err();
    const CliOutcome sent = Send(le, "01 03 00 00 00 0A", 0);
    EXPECT_EQ(sent.code, 0) << sent.err;
    // The published frame, and the bit-by-bit CRC.
    EXPECT_EQ(ModbusCrcLowFirst(kRequestData), Raw({0xC5, 0xCD}));
    EXPECT_EQ(sent.out, "{\"bytes\":[1,3,0,0,0,10,197,205],\"hex\":\"01 03 00 00 00 0A C5 CD\","
                        "\"text\":\"\\\\x01\\\\x03\\\\x00\\\\x00\\\\x00\\\\n\\\\xC5\\\\xCD\"}");
    const int be = OpenLink(20, "CRC-16/MODBUS be");
    EXPECT_NE(Send(be, "01 03 00 00 00 0A", 0).out.find("\"hex\":\"01 03 00 00 00 0A CD C5\""), std::string::npos);
    // Text in the link's encoding: 中 is D6 D0 in GBK, E4 B8 AD in UTF-8.
    const int gbk = OpenLink(20, "CRC-16/MODBUS le", 1);
    const std::string gbk_frame = Raw({0xD6, 0xD0}) + ModbusCrcLowFirst(Raw({0xD6, 0xD0}));
    EXPECT_NE(Send(gbk, "中", 1).out.find("\"hex\":\"" + SpacedHex(gbk_frame) + "\""), std::string::npos);
    const int plain = OpenLink(20, "");
    EXPECT_NE(Send(plain, "中", 1).out.find("\"hex\":\"E4 B8 AD\""), std::string::npos);
    // What cannot be sent says why.
    const CliOutcome korean = Send(gbk, "한", 1);
    EXPECT_EQ(korean.code, 2);
    EXPECT_EQ(korean.err, "quobrix: the character '한' (U+D55C) at byte offset 0 of the text has no GBK (code page "
                          "936) form\n");
    EXPECT_EQ(Send(le, "01 G3", 0).code, 2);
    EXPECT_EQ(Send(le, "", 1).code, 2);
    for (int link : {le, be, gbk, plain}) quobrix_link_close(link);
    EXPECT_EQ(Send(le, "01", 0).code, 2);
}

TEST(WebApiLink, AnAnswerSplitInTwoReadsIsOneFrameThatChecks) {
    const int link = OpenLink(20, "CRC-16/MODBUS le");
    ASSERT_GT(link, 0);
    EXPECT_EQ(quobrix_link_deadline(link), -1.0);
    // 5 ms between the reads: less than the gap, so one frame.
    CliOutcome pushed = Push(link, kAnswer.substr(0, 4), 1000.25);
    EXPECT_EQ(pushed.code, 0);
    EXPECT_EQ(pushed.out, "[]");
    EXPECT_EQ(Push(link, kAnswer.substr(4), 1005.25).out, "[]");
    EXPECT_EQ(quobrix_link_deadline(link), 1025.25);
    EXPECT_EQ(Results(quobrix_link_idle(link, 1025.0)).out, "[]");
    const CliOutcome idle = Results(quobrix_link_idle(link, 1025.25));
    EXPECT_EQ(idle.code, 1);
    EXPECT_EQ(idle.out, "[" + Row(1000.25, kAnswer, "\\\\x11\\\\x03\\\\x06\\\\xAEAVRC@I\\\\xAD",
                                  "{\"ok\":true,\"check\":\"CRC-16/MODBUS le\"}") + "]");
    EXPECT_EQ(quobrix_link_deadline(link), -1.0);

    // A wrong check: the bytes the data gives are named, as the bit-by-bit
    // CRC has them.
    std::string bad = kAnswer;
    bad.back() = static_cast<char>(0xAE);
    EXPECT_EQ(Push(link, bad, 2000).out, "[]");
    const std::string expected = SpacedHex(ModbusCrcLowFirst(kAnswer.substr(0, kAnswer.size() - 2)));
    EXPECT_EQ(expected, "49 AD");
    // The next read after a silence ends the frame before it.
    const CliOutcome next = Push(link, Raw({0x01}), 2020);
    EXPECT_EQ(next.code, 1);
    EXPECT_EQ(next.out, "[" + Row(2000, bad, "\\\\x11\\\\x03\\\\x06\\\\xAEAVRC@I\\\\xAE",
                                  "{\"ok\":false,\"check\":\"CRC-16/MODBUS le\",\"expected\":\"" + expected +
                                      "\",\"found\":\"49 AE\",\"why\":\"check 49 AE, the data gives 49 AD\"}") +
                          "]");
    // The port closed: the byte pending is a frame, too short to check.
    const CliOutcome finished = Results(quobrix_link_finish(link));
    EXPECT_EQ(finished.code, 1);
    EXPECT_EQ(finished.out, "[" + Row(2020, Raw({0x01}), "\\\\x01",
                                      "{\"ok\":false,\"check\":\"CRC-16/MODBUS le\",\"why\":\"too short for the "
                                      "check: 1 bytes\"}") + "]");
    quobrix_link_close(link);
    EXPECT_EQ(Push(link, "x", 3000).err, "quobrix: no such link\n");
}

TEST(WebApiLink, TextReadsInTheLinksEncodingAcrossReads) {
    const int link = OpenLink(10, "", 1);
    ASSERT_GT(link, 0);
    // 中文 in GBK, its first character cut between two reads.
    Push(link, Raw({0xD6}), 0);
    Push(link, Raw({0xD0, 0xCE, 0xC4}), 1);
    EXPECT_EQ(Results(quobrix_link_idle(link, 11)).out,
              "[" + Row(0, Raw({0xD6, 0xD0, 0xCE, 0xC4}), "中文", "") + "]");
    quobrix_link_close(link);
}

TEST(WebApiLink, ChecksThatCannotServeAreRefused) {
    EXPECT_EQ(OpenLink(20, "CRC-99/NONE"), 0);
    EXPECT_EQ(std::string(quobrix_err(), quobrix_err_size()).rfind("quobrix: ", 0), 0u);
    // head=1 without the bytes: frames cannot be built.
    EXPECT_EQ(OpenLink(20, "CRC-16/MODBUS le head=1"), 0);
    EXPECT_NE(std::string(quobrix_err(), quobrix_err_size()).find("head=1"), std::string::npos);
    EXPECT_EQ(OpenLink(0, "CRC-16/MODBUS le"), 0);
    EXPECT_EQ(OpenLink(20, "CRC-16/MODBUS le", 2), 0);
    // A check that fails leaves none: frames go as they are.
    const int link = OpenLink(20, "");
    const std::string bad = "CRC-99/NONE", good = "CRC-16/MODBUS le";
    EXPECT_EQ(quobrix_link_check(link, good.data(), good.size()), 0);
    EXPECT_EQ(quobrix_link_check(link, bad.data(), bad.size()), 2);
    EXPECT_NE(Send(link, "01 02", 0).out.find("\"hex\":\"01 02\""), std::string::npos);
    quobrix_link_close(link);
    const int sum = OpenLink(20, "SUM-8");
    EXPECT_GT(sum, 0);
    EXPECT_NE(Send(sum, "01 02", 0).out.find("\"hex\":\"01 02 03\""), std::string::npos);
    quobrix_link_close(sum);
}
