// The quobrix program as a user runs it: arguments, standard input, and what
// comes out on standard output, standard error and as the exit code.
//
// QUOBRIX_CLI_COMMAND, when set, runs another build of the program: a launcher
// and its arguments separated by spaces, the program itself last (say, Wine and
// the Windows build). Both builds must pass the same tests byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tool_table.h"
#include "process.h"
#include "support/gbk.h"

namespace {

std::vector<std::string> QuobrixCommand() {
    const char* command = std::getenv("QUOBRIX_CLI_COMMAND");
    std::istringstream stream(command != nullptr ? command : "");
    const std::vector<std::string> words{std::istream_iterator<std::string>(stream),
                                         std::istream_iterator<std::string>()};
    return words.empty() ? std::vector<std::string>{QUOBRIX_CLI_PATH} : words;
}

const std::vector<std::string> kCommand = QuobrixCommand();

// Windows hands a program its arguments as Unicode text, not bytes: Wine
// decodes them from UTF-8, a byte that is no UTF-8 becoming U+FFFD.
const bool kArgumentsAreUnicode = std::getenv("QUOBRIX_CLI_ARGUMENTS_ARE_UNICODE") != nullptr;

ProcessResult Quobrix(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<std::string> launcher_args(kCommand.begin() + 1, kCommand.end());
    launcher_args.insert(launcher_args.end(), args.begin(), args.end());
    return RunProcess(kCommand.front(), launcher_args, input);
}

// A build that was not made (the Windows one, say) is skipped, not failed.
class QuobrixCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCommand.back())) {
            GTEST_SKIP() << kCommand.back() << " does not exist: build it to run these tests with it";
        }
    }
};

void ExpectReport(const ProcessResult& r, const std::string& report) {
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, report);
    EXPECT_EQ(r.err, "");
}

void ExpectUsageError(const std::vector<std::string>& args) {
    const ProcessResult r = Quobrix(args);
    EXPECT_EQ(r.exit_code, 2) << args.size();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("quobrix: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Usage: quobrix TOOL"), std::string::npos) << r.err;
}

}  // namespace

TEST_F(QuobrixCli, PrintsTheReportInUtf8) {
    ExpectReport(Quobrix({"sum8", "123456789"}), "8位校验和：DD\r\n");
    ExpectReport(Quobrix({"sum16", "123456789"}), "16位校验和：1DD\r\n");
    ExpectReport(Quobrix({"sum16", "中"}), "16位校验和：1A6\r\n");  // GBK D6 D0
    ExpectReport(Quobrix({"sum8", ""}), "8位校验和：00\r\n");
}

TEST_F(QuobrixCli, ReadsStandardInputWithoutText) {
    ExpectReport(Quobrix({"sum16", "--hex"}, "FF FF"), "16位校验和：1FE\r\n");
    // Line breaks are bytes of the input like any other: 61 + 0D + 0A.
    ExpectReport(Quobrix({"sum16"}, "a\r\n"), "16位校验和：78\r\n");
    // A TEXT argument wins over standard input.
    ExpectReport(Quobrix({"sum8", "abc"}, "123456789"), "8位校验和：26\r\n");
}

TEST_F(QuobrixCli, OptionsStandBeforeOrAfterTheTool) {
    ExpectReport(Quobrix({"--hex", "sum16", "FF FF"}), "16位校验和：1FE\r\n");
    ExpectReport(Quobrix({"sum16", "FF FF", "--hex"}), "16位校验和：1FE\r\n");
    ExpectReport(Quobrix({"sum8", "--ascii", "41 42"}), "8位校验和：EB\r\n");
    ExpectReport(Quobrix({"sum8", "--hex", "41 42"}), "8位校验和：83\r\n");
    ExpectReport(Quobrix({"sum8", "--low-first", "41 42"}), "8位校验和：EB\r\n");
    // After "--" everything is TEXT: 2D 2D 68 65 78.
    ExpectReport(Quobrix({"sum8", "--", "--hex"}), "8位校验和：9F\r\n");
}

TEST_F(QuobrixCli, GbkOptionPassesBytesThrough) {
    const std::string d6d0 = "\xD6\xD0";
    ExpectReport(Quobrix({"sum8", "--gbk"}, d6d0), Gbk("8位校验和：A6\r\n"));
    // Where arguments are Unicode, "中" is the argument that gives those bytes.
    const std::string gbk_argument = kArgumentsAreUnicode ? "中" : d6d0;
    ExpectReport(Quobrix({"--gbk", "sum16", gbk_argument}), Gbk("16位校验和：1A6\r\n"));
    // 20480 bytes FF, a full buffer of bytes that are no UTF-8 at all.
    ExpectReport(Quobrix({"sum16", "--gbk"}, std::string(20480, '\xFF')), Gbk("16位校验和：B000\r\n"));
}

TEST_F(QuobrixCli, MessageBoxesGoToStandardError) {
    const ProcessResult r = Quobrix({"sum8"}, std::string(20481, 'a'));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quobrix: 输入字符太多……\nquobrix: 输入字符串转换为数组出错！\n");

    const ProcessResult raw = Quobrix({"sum16", "--gbk"}, std::string(20481, 'a'));
    EXPECT_EQ(raw.exit_code, 1);
    EXPECT_EQ(raw.err, Gbk("quobrix: 输入字符太多……\nquobrix: 输入字符串转换为数组出错！\n"));
}

TEST_F(QuobrixCli, RejectsInputTheDialogCannotTake) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string expected_in_error;
    } cases[] = {
        {{"sum8", "ab\xFF"},
         "",
         kArgumentsAreUnicode ? "byte offset 2 of the input has no GBK" : "not valid UTF-8 at byte offset 2"},
        {{"sum8"}, "\xE4\xB8\xAD\xC0\x80", "not valid UTF-8 at byte offset 3"},
        {{"sum8", "ok 가"}, "", "byte offset 3"},
        {{"sum8"}, std::string("a\0b", 3), "NUL byte at byte offset 1"},
        {{"sum8", "--gbk"}, std::string("\xD6\xD0\0", 3), "NUL byte at byte offset 2"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Quobrix(c.args, c.input);
        EXPECT_EQ(r.exit_code, 2) << c.expected_in_error;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.expected_in_error), std::string::npos) << r.err;
    }
}

TEST_F(QuobrixCli, UsageErrorsExitWithTwo) {
    ExpectUsageError({});
    ExpectUsageError({"nosuchtool"});
    ExpectUsageError({"SUM8", "1"});
    ExpectUsageError({"sum8", "--nosuchoption"});
    ExpectUsageError({"sum8", "--hex", "--ascii", "1"});
    ExpectUsageError({"sum8", "1", "2"});
    ExpectUsageError({"--hex"});
}

TEST_F(QuobrixCli, ToolsNotYetAvailableExitWithTwo) {
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        if (kCliTools[i].available) continue;
        const ProcessResult r = Quobrix({kCliTools[i].name, "1"});
        EXPECT_EQ(r.exit_code, 2) << kCliTools[i].name;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("quobrix: ") + kCliTools[i].name + " is not available yet\n");
    }
}

TEST_F(QuobrixCli, HelpAndVersion) {
    const ProcessResult version = Quobrix({"--version"});
    ExpectReport(version, "quobrix 1.0.0.1\n");
    const ProcessResult help = Quobrix({"sum8", "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out.rfind("Usage: quobrix TOOL", 0), 0u);
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        EXPECT_NE(help.out.find(std::string(" ") + kCliTools[i].name), std::string::npos) << kCliTools[i].name;
    }
    EXPECT_EQ(help.err, "");
}

TEST_F(QuobrixCli, TextToolsPrintTheConvertedText) {
    ExpectReport(Quobrix({"upper"}, "abc中文xyz"), "ABC中文XYZ");
    ExpectReport(Quobrix({"lower", "ＡＢΑЁ"}), "ａｂαё");
    ExpectReport(Quobrix({"reverse", "ab中"}), "中ba");
    ExpectReport(Quobrix({"reverse"}, "ab\r\ncd"), "dc\n\rba");
    // The format option does not matter to the text tools.
    ExpectReport(Quobrix({"upper", "--hex", "ff 0x1a"}), "FF 0X1A");
}

TEST_F(QuobrixCli, CharcountPrintsTheStatisticsTable) {
    ExpectReport(Quobrix({"charcount", "Hello"}),
                 "输入字符串总长度：5字节\r\n\r\n其中：\r\nAscii字符：5个\r\n汉字：0个\r\n"
                 "\r\n更八卦的统计结果如下：\r\n"
                 "字符“H”：1个\r\n字符“e”：1个\r\n字符“l”：2个\r\n字符“o”：1个\r\n");
    // A line feed counted stands raw between the quotation marks.
    const ProcessResult r = Quobrix({"charcount"}, "a中\n");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.out.find("汉字：1个\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("字符“\n”：1个\r\n字符“a”：1个\r\n"), std::string::npos) << r.out;
}

// Reversing GBK bytes raw: a lead byte at the end comes first and pairs with
// the byte after it, which is then another character.
TEST_F(QuobrixCli, TextToolsPassRawBytesWithGbk) {
    ExpectReport(Quobrix({"reverse", "--gbk"}, "ab\xB0"), "\xB0" "ba");
    ExpectReport(Quobrix({"upper", "--gbk"}, "ab\xB0"), "AB\xB0");
    ExpectReport(Quobrix({"upper", "--gbk"}, "a\x81\x7F" "b"), "A\x81\x7F" "b");
}
