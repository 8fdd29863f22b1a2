// What every command says when its words cannot be parsed: one line in the
// command's own words, then the usage line of the command the words were for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "in_process.h"

namespace {

const std::string kTopHint = "(Usage: quobrix TOOL [OPTIONS] [--] [TEXT]; quobrix --help lists the tools)";
const std::string kCrcHint = "(Usage: quobrix crc MODEL [FILE...]; quobrix crc --help tells more)";
const std::string kFindHint =
    "(Usage: quobrix find [--max-skip N] [--json] [--all] [--only NAME] [--width BITS] [--order be|le] "
    "[--head N] [--tail N] [--frames-end HEX] [--search | --no-search] [FRAME...]; "
    "quobrix find --help tells more)";
const std::string kFrameHint =
    "(Usage: quobrix frame CHECK [--order be|le] [--head HEX] [--tail HEX] [--verify] DATA...; "
    "quobrix frame --help tells more)";
const std::string kNumHint = "(Usage: quobrix num [--type TYPE --order ORDER] HEX...; quobrix num --help tells more)";
const std::string kPartsHint =
    "(Usage: quobrix parts [--series S] VALUE | divider VIN VOUT | code KIND CODE | mark KIND VALUE; "
    "quobrix parts --help tells more)";
const std::string kArrayHint = "(Usage: quobrix array [OPTIONS] [FILE]; quobrix array --help tells more)";
const std::string kRandomHint =
    "(Usage: quobrix random --range LO..HI | --float LO..HI | --bytes; quobrix random --help tells more)";
const std::string kPrintfHint =
    "(Usage: quobrix printf [--explain] [--raw] FORMAT [ARG...]; quobrix printf --help tells more)";
const std::string kFilterHint =
    "(Usage: quobrix filter rc|lc|sallen-key [OPTIONS] FREQ, or the parts' options instead of FREQ; "
    "quobrix filter --help tells more)";

std::string Words(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& word : args) text += (text.empty() ? "" : " ") + word;
    return text;
}

// Exit 2, nothing on standard output, and exactly `line` on standard error.
void ExpectUsageError(const std::vector<std::string>& args, const std::string& said, const std::string& hint) {
    const CliOutcome r = RunInProcess(args);
    EXPECT_EQ(r.code, 2) << Words(args);
    EXPECT_EQ(r.out, "") << Words(args);
    EXPECT_EQ(r.err, "quobrix: " + said + " " + hint + "\n") << Words(args);
}

struct CommandOptions {
    std::string command;
    std::string hint;
    std::vector<std::string> words;          // before the option: what makes the rest sound
    std::vector<std::string> value_options;  // each takes one value
    std::vector<std::string> flags;
};

const CommandOptions kCommands[] = {
    {"crc",
     kCrcHint,
     {"CRC-16/MODBUS"},
     {"--text", "--hex", "--bytes", "--emit", "--width", "--poly", "--init", "--refin", "--refout", "--xorout"},
     {"--list", "--gbk"}},
    {"find",
     kFindHint,
     {"01 02 03"},
     {"--max-skip", "--order", "--head", "--tail", "--frames-end"},
     {"--json", "--search", "--no-search"}},
    {"frame", kFrameHint, {"SUM-8"}, {"--order", "--head", "--tail"}, {"--verify"}},
    {"num", kNumHint, {}, {"--type", "--order", "--from"}, {}},
    {"parts", kPartsHint, {"divider", "12", "3.3"}, {"--series", "--ratio", "--total", "--count", "--tolerance", "--tempco"}, {}},
    {"array",
     kArrayHint,
     {},
     {"--name", "--type", "--per-line", "--text", "--hex", "--output"},
     {"--pad", "--decimal", "--static", "--mutable", "--header", "--crc", "--reverse"}},
    {"random", kRandomHint, {"--bytes"}, {"--count", "--range", "--float", "--format", "--name", "--seed"}, {"--unique", "--sort"}},
    {"printf", kPrintfHint, {}, {}, {"--raw", "--explain"}},
    {"filter",
     kFilterHint,
     {"sallen-key", "1k"},
     {"--q", "--count", "--r-series", "--c-series", "--l-series", "--r", "--c", "--l", "--r1", "--r2", "--c1", "--c2"},
     {"--lowpass", "--highpass"}},
};

}  // namespace

// Each option of each command given twice, without its value, or a flag
// given a value; an unknown option; each with the command's usage line.
TEST(UsageErrors, EveryOptionOfEveryCommand) {
    for (const CommandOptions& c : kCommands) {
        std::vector<std::string> start{c.command};
        start.insert(start.end(), c.words.begin(), c.words.end());
        for (const std::string& option : c.value_options) {
            std::vector<std::string> twice = start;
            twice.insert(twice.end(), {option, "1", option, "2"});
            ExpectUsageError(twice, option + " is given twice", c.hint);
            twice.insert(twice.end(), {option + "=3"});
            ExpectUsageError(twice, option + " is given 3 times", c.hint);

            std::vector<std::string> last = start;
            last.push_back(option);
            ExpectUsageError(last, option + " needs a value", c.hint);
        }
        for (const std::string& flag : c.flags) {
            std::vector<std::string> valued = start;
            valued.push_back(flag + "=1");
            ExpectUsageError(valued, flag + " takes no value", c.hint);
        }
        std::vector<std::string> unknown = start;
        unknown.insert(unknown.end(), {"--bogus", "01"});
        ExpectUsageError(unknown, "unknown option '--bogus'", c.hint);
    }
}

TEST(UsageErrors, WordsOfTheCommandsOwn) {
    const struct {
        std::vector<std::string> args;
        std::string said, hint;
    } cases[] = {
        // A misspelt tool: its options are not what is wrong.
        {{"CRC", "--text", "1"}, "unknown tool 'CRC'; did you mean crc, crc8, crc16, crc32?", kTopHint},
        {{"sum9"}, "unknown tool 'sum9'; did you mean sum8?", kTopHint},
        {{"Upper", "abc"}, "unknown tool 'Upper'; did you mean upper?", kTopHint},
        {{"hex2flaot", "40490FDB"}, "unknown tool 'hex2flaot'; did you mean hex2float?", kTopHint},
        {{"fram", "SUM-8", "01"}, "unknown tool 'fram'; did you mean frame?", kTopHint},
        {{"bogus", "--x"}, "unknown tool 'bogus'", kTopHint},
        {{"--x", "bogus"}, "unknown option '--x'", kTopHint},
        {{"sum8", "--gbk=no", "a"}, "--gbk takes no value", kTopHint},
        // A misspelt option: the nearest of the command's own, and of the
        // dialog's tools those they share.
        {{"crc", "CRC-32", "--widht", "16"}, "unknown option '--widht'; did you mean --width?", kCrcHint},
        {{"crc", "CRC-32", "--Text", "a"}, "unknown option '--Text'; did you mean --text?", kCrcHint},
        {{"crc", "CRC-32", "--widht=16"}, "unknown option '--widht=16'; did you mean --width?", kCrcHint},
        {{"num", "--frm", "1"}, "unknown option '--frm'; did you mean --from?", kNumHint},
        {{"frame", "SUM-8", "--verfy", "01 01"}, "unknown option '--verfy'; did you mean --verify?", kFrameHint},
        {{"upper", "--lowfirst", "a"}, "unknown option '--lowfirst'; did you mean --low-first?", kTopHint},
        {{"--asci", "upper", "a"}, "unknown option '--asci'; did you mean --ascii?", kTopHint},
        // Options of another command are not offered.
        {{"upper", "--text", "a"}, "unknown option '--text'", kTopHint},
        {{"crc", "CRC-32", "--low", "a"}, "unknown option '--low'", kCrcHint},
        {{"sum8", "a", "b"}, "too many arguments (quote a TEXT with blanks)", kTopHint},
        // A MODEL and parameters of one's own name two CRCs.
        {{"crc", "CRC-16/MODBUS", "--width", "16", "--poly", "8005", "--text", "a"},
         "MODEL 'CRC-16/MODBUS' and parameters of your own (--width, --poly, ...) exclude each other", kCrcHint},
        {{"crc", "--width", "16", "--poly", "8005", "crc-32"},
         "MODEL 'crc-32' and parameters of your own (--width, --poly, ...) exclude each other", kCrcHint},
        // Numbers of more digits than 82 bits hold are too large, not "no hex number".
        {{"crc", "--width", "16", "--poly", "123456789012345678901234567890123", "--text", "a"},
         "--poly '123456789012345678901234567890123' is too large for the width of 16 bits", kCrcHint},
        {{"crc", "--width", "82", "--poly", "1", "--init", "0x100000000000000000000000000000000", "--text", "a"},
         "--init '0x100000000000000000000000000000000' is too large for the width of 82 bits", kCrcHint},
        {{"crc", "--width", "82", "--poly", "1", "--init", "0x1000000000000000000000", "--text", "a"},
         "invalid parameters: init has bits above the width of 82", kCrcHint},
        {{"crc", "--width", "16", "--poly", "12g4", "--text", "a"}, "--poly '12g4' is no hex number", kCrcHint},
        {{"crc", "--width", "16", "--poly", "0x", "--text", "a"}, "--poly '0x' is no hex number", kCrcHint},
        {{"num", "--type", "int16", "--order", "AB", "--from", "1", "2"}, "--from takes VALUE, no HEX", kNumHint},
        {{"frame", "SUM-8", "--order", "xx", "01"}, "--order takes be or le (- for a one-byte check), not 'xx'",
         kFrameHint},
        {{"parts", "--seires", "E6", "1k"}, "unknown option '--seires'; did you mean --series?", kPartsHint},
        {{"parts", "4.7x"}, "VALUE '4.7x': character 4 ('x') is not an SI prefix, a unit or the end", kPartsHint},
        {{"filter", "rc", "--lowpas", "1k"}, "unknown option '--lowpas'; did you mean --lowpass?", kFilterHint},
        {{"filter", "rc", "--lowpass", "1kz"}, "FREQ '1kz': character 3 ('z') is not a unit (ohm F H Hz V A) or the end",
         kFilterHint},
    };
    for (const auto& c : cases) ExpectUsageError(c.args, c.said, c.hint);
}
