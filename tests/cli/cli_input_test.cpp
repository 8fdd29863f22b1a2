// How much input the command line takes and how it judges it, in-process:
// the dialog itself is the judge of which way each tool reads its input, and
// the boundaries come from the work buffer's size and UTF-8's lengths.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/dialog_tools.h"
#include "support/gbk.h"

namespace {

const std::string kTooMany = "quobrix: 输入字符太多……\nquobrix: 输入字符串转换为数组出错！\n";

bool ShowsTooManyCharacters(const DialogTool& tool, InputFormat format, const std::string& gbk_input) {
    DialogToolOptions options;
    options.tool = &tool;
    options.format = format;
    const ToolRun run = RunToolInDialog(options, gbk_input);
    return !run.messages.empty() && run.messages.front() == Gbk("输入字符太多……");
}

// Standard input that goes on for ever (or up to `length` bytes), and the
// most the command line asked for.
struct StdinStream {
    std::string start;
    std::string pattern;
    std::size_t length = static_cast<std::size_t>(-1);
    std::size_t most_asked = 0;

    bool Read(std::size_t max_bytes, std::string& bytes) {
        most_asked = std::max(most_asked, max_bytes);
        const std::size_t size = std::min(max_bytes, length);
        bytes = start.substr(0, size);
        while (bytes.size() < size) bytes += pattern;
        bytes.resize(size);
        return true;
    }
};

struct Outcome {
    int code;
    std::string out, err;
};

Outcome RunWith(const std::vector<std::string>& args, StdinStream& stream) {
    CliEnvironment env;
    env.read_stdin = [&](std::size_t max_bytes, std::string& bytes, std::string&) {
        return stream.Read(max_bytes, bytes);
    };
    Outcome outcome{0, "", ""};
    outcome.code = RunCli(args, env, outcome.out, outcome.err);
    return outcome;
}

}  // namespace

// 20481 blanks overflow the character path only; 20481 bytes of hex digits
// overflow the hex path too; a text tool takes both. So the dialog tells
// which way a tool reads, whatever the command line's table says.
TEST(CliInput, EveryToolReadsTheWayTheDialogDoes) {
    const std::string blanks(WORK_BUFFER_SIZE + 1, ' ');
    const std::string digits(2 * (WORK_BUFFER_SIZE + 1), '1');
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const DialogTool& tool = kDialogTools[i];
        for (const InputFormat format : {InputFormat::AsDialogOpens, InputFormat::Hex, InputFormat::Ascii}) {
            SCOPED_TRACE(std::string(tool.name) + " format " + std::to_string(static_cast<int>(format)));
            const bool blanks_overflow = ShowsTooManyCharacters(tool, format, blanks);
            const bool digits_overflow = ShowsTooManyCharacters(tool, format, digits);
            const InputPath expected = blanks_overflow   ? InputPath::Characters
                                       : digits_overflow ? InputPath::HexDigits
                                                         : InputPath::Text;
            EXPECT_EQ(PathOf(tool, format), expected);
        }
    }
}

// A full buffer of the widest GBK byte: 80, the euro sign, three UTF-8 bytes.
// 20480 of them fit, one more does not, and however long the stream goes on
// the command line reads no more than four UTF-8 bytes a buffer byte.
TEST(CliInput, CharacterPathTakesAFullBufferAndNoMore) {
    const std::string euro = "\xE2\x82\xAC";
    StdinStream full{"", euro, 3 * WORK_BUFFER_SIZE};
    const Outcome fits = RunWith({"sum8"}, full);
    EXPECT_EQ(fits.code, kExitReport) << fits.err;
    EXPECT_EQ(fits.out, "8位校验和：00\r\n");  // 20480 * 0x80 is a multiple of 256

    StdinStream one_more{"", euro, 3 * (WORK_BUFFER_SIZE + 1)};
    const Outcome over = RunWith({"sum8"}, one_more);
    EXPECT_EQ(over.code, kExitMessageBox);
    EXPECT_EQ(over.err, kTooMany);

    // Endless, with the limit falling inside a character: no UTF-8 error.
    StdinStream endless{"a", euro};
    const Outcome cut = RunWith({"md5"}, endless);
    EXPECT_EQ(cut.code, kExitMessageBox);
    EXPECT_EQ(cut.err, kTooMany);
    EXPECT_LE(endless.most_asked, 4u * (WORK_BUFFER_SIZE + 1));

    StdinStream raw{"", "\xD6\xD0"};
    const Outcome gbk = RunWith({"crc16", "--gbk"}, raw);
    EXPECT_EQ(gbk.err, Gbk(kTooMany));
    EXPECT_LE(raw.most_asked, static_cast<std::size_t>(WORK_BUFFER_SIZE) + 1);
}

// What goes wrong before the read limit is named as in a short input.
TEST(CliInput, FaultsBeforeTheLimitAreNamed) {
    StdinStream invalid{"ab\xFF", "a"};
    const Outcome bad = RunWith({"sum8"}, invalid);
    EXPECT_EQ(bad.code, kExitUsage);
    EXPECT_NE(bad.err.find("not valid UTF-8 at byte offset 2"), std::string::npos) << bad.err;

    StdinStream nul{std::string("a\0", 2), "a"};
    const Outcome zero = RunWith({"sum8"}, nul);
    EXPECT_EQ(zero.code, kExitUsage);
    EXPECT_NE(zero.err.find("NUL byte at byte offset 1"), std::string::npos) << zero.err;

    CliEnvironment env;
    env.read_stdin = [](std::size_t, std::string& bytes, std::string& error) {
        bytes = "12";
        error = "Input/output error";
        return false;
    };
    std::string out, err;
    EXPECT_EQ(RunCli({"sum8"}, env, out, err), kExitUsage);
    EXPECT_EQ(err, "quobrix: cannot read standard input: Input/output error\n");
    EXPECT_EQ(out, "");
}

// Hex text and plain text are taken up to kLongInputLimit bytes: a text of
// blanks that long still decodes to nothing, one byte more is too much.
TEST(CliInput, LongInputsUpToTheLimit) {
    StdinStream at_limit{"", " ", kLongInputLimit};
    const Outcome empty = RunWith({"hexconv", "--hex"}, at_limit);
    EXPECT_EQ(empty.code, kExitReport) << empty.err;
    EXPECT_EQ(empty.out, "十六进制格式1：\r\n\r\n\r\n十六进制格式2：\r\n");

    StdinStream past{"", " ", kLongInputLimit + 1};
    const Outcome too_many = RunWith({"hexconv", "--hex"}, past);
    EXPECT_EQ(too_many.code, kExitMessageBox);
    EXPECT_EQ(too_many.err, kTooMany);

    StdinStream text{"", "ab", kLongInputLimit};
    const Outcome upper = RunWith({"upper"}, text);
    EXPECT_EQ(upper.code, kExitReport) << upper.err;
    EXPECT_EQ(upper.out.size(), kLongInputLimit);
    EXPECT_EQ(upper.out.substr(0, 4), "ABAB");

    StdinStream endless{"", "ab"};
    const Outcome long_text = RunWith({"reverse"}, endless);
    EXPECT_EQ(long_text.code, kExitUsage);
    EXPECT_EQ(long_text.out, "");
    EXPECT_NE(long_text.err.find("longer than 4194304 bytes"), std::string::npos) << long_text.err;
    EXPECT_LE(endless.most_asked, kLongInputLimit + 1);

    // A TEXT argument is held to the same limits.
    StdinStream unused;
    const Outcome argument = RunWith({"charcount", std::string(kLongInputLimit + 1, 'a')}, unused);
    EXPECT_EQ(argument.code, kExitUsage);
    EXPECT_EQ(unused.most_asked, 0u);
    const Outcome characters = RunWith({"sum16", std::string(WORK_BUFFER_SIZE + 1, 'a')}, unused);
    EXPECT_EQ(characters.err, kTooMany);
}
