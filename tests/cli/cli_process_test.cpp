// The quobrix program as a user runs it: arguments, standard input, and what
// comes out on standard output, standard error and as the exit code.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ui/tool_dlg_tools.h"
#include "quobrix_process.h"
#include "support/gbk.h"

namespace {

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

TEST_F(QuobrixCli, HelpAndVersion) {
    const ProcessResult version = Quobrix({"--version"});
    ExpectReport(version, "quobrix 1.0.0.1\n");
    const ProcessResult help = Quobrix({"sum8", "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out.rfind("Usage: quobrix TOOL", 0), 0u);
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        EXPECT_NE(help.out.find(std::string(" ") + kDialogTools[i].name), std::string::npos) << kDialogTools[i].name;
    }
    EXPECT_EQ(help.err, "");
}

// One run of every tool: the report is the dialog's, byte for byte, and the
// same on every build (the number texts above all).
TEST_F(QuobrixCli, EveryToolPrintsTheDialogsReport) {
    const struct {
        std::vector<std::string> args;
        const char* report;
        const char* input = "";  // standard input, for the tools given no TEXT
    } cases[] = {
        {{"crc8", "123456789"}, "CRC8计算结果：A1\r\n\r\n湖北TRV41和TRV42协议专用：\r\nAA 31 32 33 34 35 36 37 38 39 A1 A9"},
        {{"crc16", "123456789"},
         "CRC16计算结果：31C3\r\n\r\n湖北TRV41和TRV42协议专用：\r\nAA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9"},
        // The frame is high byte first whatever the byte order option says.
        {{"crc32", "--low-first", "中"}, "CRC32计算结果：1068A2B2\r\n\r\n湖北TRV42协议专用：\r\nAA D6 D0 10 68 A2 B2 A9"},
        {{"md5", "--hex", "61 62 63"},
         "MD5计算结果：\r\n\r\n格式1：\r\n90 01 50 98 3C D2 4F B0 D6 96 3F 7D 28 E1 7F 72 "
         "\r\n\r\n格式2：\r\n0x90,0x01,0x50,0x98,0x3C,0xD2,0x4F,0xB0,0xD6,0x96,0x3F,0x7D,0x28,0xE1,0x7F,0x72,"
         "\r\n\r\n格式3：\r\n900150983CD24FB0D6963F7D28E17F72"},
        {{"ascii2hex", "--hex", "41"}, "十六进制格式1：\r\n34 31 \r\n\r\n十六进制格式2：\r\n0x34,0x31,"},
        {{"hexconv", "--hex", "0x41, 0x42"}, "十六进制格式1：\r\n41 42 \r\n\r\n十六进制格式2：\r\n0x41,0x42,"},
        {{"hex2ascii", "C4E3BAC3 0D0A 41"}, "你好\r\nA"},
        {{"hex2float", "C0490FDB 3F800000 7F800000 FFC00000 00000001"}, "-3.141591inf-nan1.4013e-45"},
        {{"hex2float", "--low-first", "3F 80 00 00"}, "4.6006e-41"},
        {{"float2hex", "--low-first", "1"},
         "单精度：\r\n输入单精度浮点数：1\r\n转成十六进制： 00 00 80 3F\r\n"
         "双精度：\r\n输入双精度浮点数：1\r\n转成十六进制： 00 00 00 00 00 00 F0 3F"},
        {{"float2hex", "--", "-1e39"},
         "单精度：\r\n输入单精度浮点数：-1e+39\r\n转成十六进制： FF 80 00 00\r\n"
         "双精度：\r\n输入双精度浮点数：-1e+39\r\n转成十六进制： C8 07 82 87 F4 9C 4A 1D"},
        {{"float2hex", "  2.4703282292062328e-324 rest"},
         "单精度：\r\n输入单精度浮点数：4.940656e-324\r\n转成十六进制： 00 00 00 00\r\n"
         "双精度：\r\n输入双精度浮点数：4.94065645841247e-324\r\n转成十六进制： 00 00 00 00 00 00 00 01"},
        {{"upper", "abc中文xyz"}, "ABC中文XYZ"},
        {{"lower", "ＡＢΑЁ"}, "ａｂαё"},
        {{"reverse", "ab中"}, "中ba"},
        {{"charcount", "Hello"},
         "输入字符串总长度：5字节\r\n\r\n其中：\r\nAscii字符：5个\r\n汉字：0个\r\n"
         "\r\n更八卦的统计结果如下：\r\n"
         "字符“H”：1个\r\n字符“e”：1个\r\n字符“l”：2个\r\n字符“o”：1个\r\n"},
        // Raw GBK both ways: a lead byte at the end stays put in the case walk
        // and comes first when reversed.
        {{"upper", "--gbk"}, "AB\xB0", "ab\xB0"},
        {{"reverse", "--gbk"}, "\xB0" "ba", "ab\xB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        ExpectReport(Quobrix(c.args, c.input), c.report);
    }
}

// Hex->Ascii shows whatever bytes the digits give. A lone lead byte (81) or
// one with a trail byte that cannot follow it (81 20) is no GBK text.
TEST_F(QuobrixCli, BytesThatAreNoGbkTextPrintAsReplacementCharacters) {
    const std::string warning = "quobrix: warning: 2 byte(s) of the result are not GBK text and were shown "
                                "as U+FFFD; use --gbk for the bytes\n";
    const ProcessResult r = Quobrix({"hex2ascii", "41 81 20 42 81"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "A\xEF\xBF\xBD B\xEF\xBF\xBD");
    EXPECT_EQ(r.err, warning);
    ExpectReport(Quobrix({"hex2ascii", "--gbk", "41 81 20 42 81"}), "A\x81 B\x81");
    // 80 and FF are characters of code page 936: the euro sign and a
    // private-use character, no warning.
    ExpectReport(Quobrix({"hex2ascii", "80 FF"}), "\u20AC\uF8F5");
}

// On a terminal a report without a final line break gets one, so that the
// shell's prompt starts on a line of its own; in a file or pipe it does not.
TEST_F(QuobrixCli, TerminalGetsAFinalLineBreak) {
    if (kCommand.size() > 1) GTEST_SKIP() << "a launcher stands between the terminal and the program";
    const ProcessResult on_terminal = RunProcessOnTerminal(kCommand.front(), {"hex2ascii", "41 42"});
    EXPECT_EQ(on_terminal.exit_code, 0);
    EXPECT_EQ(on_terminal.out, "AB\n");
    // A report that ends in a line break is left as it is.
    EXPECT_EQ(RunProcessOnTerminal(kCommand.front(), {"sum8", "abc"}).out, "8位校验和：26\r\n");
    EXPECT_EQ(RunProcessOnTerminal(kCommand.front(), {"hex2ascii", "41 0D"}).out, "A\r");
    ExpectReport(Quobrix({"hex2ascii", "41 42"}), "AB");
}

// However long the input, the program reads no more than it can use and stops
// with the dialog's messages or an error: 200 MB are offered, a few MiB at
// most are taken, and the memory stays small.
TEST_F(QuobrixCli, StopsReadingWhatCannotFit) {
    const std::string too_many = "quobrix: 输入字符太多……\nquobrix: 输入字符串转换为数组出错！\n";
    const std::string text_too_long =
        "quobrix: the input is longer than 4194304 bytes (4 MiB), more than the command line takes\n";
    const struct {
        std::vector<std::string> args;
        int exit_code;
        std::string err;
    } cases[] = {
        {{"sum8"}, 1, too_many},         // 20480 characters at most
        {{"md5", "--gbk"}, 1, Gbk(too_many)},
        {{"ascii2hex", "--hex"}, 1, too_many},
        {{"crc32", "--hex"}, 1, too_many},  // hex digits: 4 MiB at most
        {{"hex2ascii"}, 1, too_many},
        {{"hex2float", "--ascii"}, 1, too_many},
        {{"upper"}, 2, text_too_long},  // any text up to 4 MiB
        {{"lower", "--gbk"}, 2, text_too_long},
        {{"reverse"}, 2, text_too_long},
        {{"charcount"}, 2, text_too_long},
        {{"float2hex"}, 2, text_too_long},
    };
    constexpr unsigned long long kOffered = 200000000;
    constexpr unsigned long long kTakenAtMost = 6u << 20;  // 4 MiB and what pipes hold
    constexpr long kPeakKibAtMost = 64 << 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const ProcessResult r = RunProcessOnEndlessInput(kCommand.front(), LauncherArgs(c.args), "a", kOffered);
        EXPECT_EQ(r.exit_code, c.exit_code);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
        EXPECT_LT(r.bytes_fed, kTakenAtMost);
        if (!kSanitized && kCommand.size() == 1) {
            EXPECT_LT(r.peak_rss_kib, kPeakKibAtMost);
        }
    }
}

// A stream that cannot be read or written is an error, exit 2, not an empty
// input or a report that never arrived.
TEST_F(QuobrixCli, StreamErrorsExitWithTwo) {
    const auto run = [&](const std::vector<std::string>& args, const StreamSetup& streams) {
        return RunProcessWithStreams(kCommand.front(), LauncherArgs(args), streams);
    };
    const std::string cannot_read = "quobrix: cannot read standard input: ";
    const std::string cannot_write = "quobrix: cannot write standard output: ";
    StreamSetup directory;
    directory.stdin_path = "/tmp";
    StreamSetup no_stdin;
    no_stdin.stdin_closed = true;
    StreamSetup full;
    full.stdout_path = "/dev/full";
    StreamSetup no_stdout;
    no_stdout.stdout_closed = true;
    StreamSetup full_stderr;
    full_stderr.stderr_path = "/dev/full";
    const struct {
        std::vector<std::string> args;
        const StreamSetup& streams;
        std::string err_start;
    } cases[] = {
        {{"sum8"}, directory, cannot_read},
        {{"sum8"}, no_stdin, cannot_read},
        {{"sum8", "123"}, full, cannot_write},
        {{"--help"}, full, cannot_write},
        {{"--version"}, full, cannot_write},
        {{"sum8", "123"}, no_stdout, cannot_write},
        {{"hex2ascii", "81"}, full_stderr, ""},  // the warning does not arrive
        {{"nosuchtool"}, full_stderr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const ProcessResult r = run(c.args, c.streams);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(r.err.substr(0, c.err_start.size()), c.err_start);
        if (!c.err_start.empty()) {
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
        }
    }
    // A closed standard output that nothing is written to is no error.
    EXPECT_EQ(run({"nosuchtool"}, no_stdout).exit_code, 2);
    const ProcessResult quiet = run({"hex2ascii", ""}, no_stdout);
    EXPECT_EQ(quiet.exit_code, 0) << quiet.err;
}

// A word that reads as a number is TEXT, not an unknown option.
TEST_F(QuobrixCli, NegativeNumbersAreText) {
    const auto Upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    const std::string minus_one_and_a_half =
        "单精度：\r\n输入单精度浮点数：-1.5\r\n转成十六进制： BF C0 00 00\r\n"
        "双精度：\r\n输入双精度浮点数：-1.5\r\n转成十六进制： BF F8 00 00 00 00 00 00";
    ExpectReport(Quobrix({"float2hex", "-1.5"}), minus_one_and_a_half);
    ExpectReport(Quobrix({"--hex", "float2hex", "-1.5"}), minus_one_and_a_half);
    ExpectReport(Quobrix({"float2hex", "-.5", "--low-first"}),
                 "单精度：\r\n输入单精度浮点数：-0.5\r\n转成十六进制： 00 00 00 BF\r\n"
                 "双精度：\r\n输入双精度浮点数：-0.5\r\n转成十六进制： 00 00 00 00 00 00 E0 BF");
    ExpectReport(Quobrix({"sum8", "-1e3"}), "8位校验和：F6\r\n");  // 2D + 31 + 65 + 33
    // "-inf" and "-nan" are numbers too, TEXT as they are after "--" (where
    // the dialog's own reading makes 0 of them); "-e5" is none.
    for (const std::string number : {"-inf", "-nan", "-Infinity"}) {
        const ProcessResult text = Quobrix({"float2hex", "--", number});
        ExpectReport(Quobrix({"float2hex", number}), text.out);
        ExpectReport(Quobrix({"upper", number}), Upper(number));
    }
    const ProcessResult word = Quobrix({"float2hex", "-e5"});
    EXPECT_EQ(word.exit_code, 2);
    EXPECT_EQ(word.err.rfind("quobrix: unknown option '-e5'", 0), 0u) << word.err;
    ExpectUsageError({"float2hex", "-1.5", "-2"});  // one TEXT only
}

// Notepad starts a UTF-8 file with a byte-order mark: it is dropped, as
// editors do, and error offsets still count the bytes as given. With --gbk
// the bytes are the user's.
TEST_F(QuobrixCli, Utf8ByteOrderMarkIsDropped) {
    const std::string bom = "\xEF\xBB\xBF";
    ExpectReport(Quobrix({"sum8"}, bom + "123456789"), "8位校验和：DD\r\n");
    ExpectReport(Quobrix({"upper"}, bom + "abc中"), "ABC中");
    ExpectReport(Quobrix({"sum8", bom + "123456789"}), "8位校验和：DD\r\n");
    ExpectReport(Quobrix({"sum8", "--gbk"}, bom), Gbk("8位校验和：69\r\n"));  // EF + BB + BF = 269
    const ProcessResult bad = Quobrix({"sum8"}, bom + "ab\xFF");
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("not valid UTF-8 at byte offset 5"), std::string::npos) << bad.err;
    // Only at the start: anywhere else U+FEFF is a character GBK has not.
    const ProcessResult inside = Quobrix({"sum8"}, "a" + bom);
    EXPECT_EQ(inside.exit_code, 2);
    EXPECT_NE(inside.err.find("the character at byte offset 1 "), std::string::npos) << inside.err;
}

// Words are echoed in messages as valid UTF-8 only; other bytes as \xHH.
TEST_F(QuobrixCli, MessagesEscapeBytesThatAreNoText) {
    if (kArgumentsAreUnicode) GTEST_SKIP() << "Unicode arguments hold no stray bytes";
    const ProcessResult tool = Quobrix({"\xFFsum\x1B"});
    EXPECT_EQ(tool.exit_code, 2);
    EXPECT_EQ(tool.err.rfind("quobrix: unknown tool '\\xFFsum\\x1B'", 0), 0u) << tool.err;
    const ProcessResult option = Quobrix({"sum8", "--中\xE4\xB8"});
    EXPECT_EQ(option.exit_code, 2);
    EXPECT_EQ(option.err.rfind("quobrix: unknown option '--中\\xE4\\xB8'", 0), 0u) << option.err;
}

// The dialog's Hex->Ascii shows its bytes as a text, which ends at the first
// zero byte; the command line says where.
TEST_F(QuobrixCli, Hex2AsciiWarnsOfAZeroByte) {
    const ProcessResult r = Quobrix({"hex2ascii", "C4E3BAC3 0D0A 41 00 42"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "你好\r\nA");
    EXPECT_EQ(r.err, "quobrix: warning: the text ends at the zero byte at byte offset 7 of the bytes, as in the "
                     "dialog\n");
    const ProcessResult first = Quobrix({"hex2ascii", "--gbk", "0 41"});
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(first.err, "quobrix: warning: the text ends at the zero byte at byte offset 0 of the bytes, as in the "
                         "dialog\n");
}
