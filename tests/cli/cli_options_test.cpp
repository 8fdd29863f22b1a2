// The command line parser and the conversion of Windows' UTF-16 arguments.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "cli/dialog_tools.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "cli/utf16.h"
#include "res/resource.h"

namespace {

struct Parsed {
    ParseOutcome outcome;
    std::string error;          // or the help text
    DialogToolOptions options;  // of the dialog tool that runs
};

Parsed Parse(const std::vector<std::string>& args) {
    CommandLine command_line({kCliCommands, kCliCommandCount});
    const ParseResult r = command_line.Parse(args);
    Parsed parsed{r.outcome, r.text, {}};
    if (const auto* run = r.run.target<DialogToolRun>()) parsed.options = run->options;
    return parsed;
}

}  // namespace

TEST(CommandLine, CollectsToolOptionsAndText) {
    const Parsed r = Parse({"--low-first", "sum16", "--gbk", "A B", "--hex"});
    ASSERT_EQ(r.outcome, ParseOutcome::Run);
    EXPECT_EQ(r.options.tool->button_id, IDC_BTN_SUM16);
    EXPECT_EQ(r.options.format, InputFormat::Hex);
    EXPECT_TRUE(r.options.low_first);
    EXPECT_TRUE(r.options.raw_gbk);
    EXPECT_TRUE(r.options.has_text);
    EXPECT_EQ(r.options.text, "A B");

    const Parsed bare = Parse({"crc32"});
    ASSERT_EQ(bare.outcome, ParseOutcome::Run);
    EXPECT_EQ(bare.options.tool->button_id, IDC_BTN_CRC32);
    EXPECT_EQ(bare.options.format, InputFormat::AsDialogOpens);
    EXPECT_FALSE(bare.options.low_first || bare.options.raw_gbk || bare.options.has_text);
}

TEST(CommandLine, TextMayLookLikeAnOption) {
    const struct {
        std::vector<std::string> args;
        std::string text;
    } cases[] = {
        {{"sum8", "--", "--hex"}, "--hex"},
        {{"--", "sum8", "-1.5"}, "-1.5"},
        {{"sum8", "-"}, "-"},  // a lone dash is text
        {{"sum8", ""}, ""},
    };
    for (const auto& c : cases) {
        const Parsed r = Parse(c.args);
        ASSERT_EQ(r.outcome, ParseOutcome::Run) << c.text;
        EXPECT_EQ(r.options.format, InputFormat::AsDialogOpens);
        EXPECT_TRUE(r.options.has_text);
        EXPECT_EQ(r.options.text, c.text);
    }
}

TEST(CommandLine, ReportsWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "no tool given"},
        {{"--gbk"}, "no tool given"},
        {{"sum9"}, "unknown tool 'sum9'; did you mean sum8?"},
        {{"sum8", "-x"}, "unknown option '-x'"},
        {{"sum8", "--hex", "--ascii"}, "--hex and --ascii exclude each other"},
        {{"sum8", "a", "b"}, "too many arguments (quote a TEXT with blanks)"},
    };
    for (const auto& c : cases) {
        const Parsed r = Parse(c.args);
        EXPECT_EQ(r.outcome, ParseOutcome::UsageError) << c.error;
        EXPECT_EQ(r.error, c.error);
    }
    EXPECT_EQ(Parse({"nosuchtool", "--help"}).outcome, ParseOutcome::Help);
    EXPECT_EQ(Parse({"--version", "sum8", "a", "b"}).outcome, ParseOutcome::Version);
    EXPECT_EQ(Parse({"sum8", "--", "--help"}).outcome, ParseOutcome::Run);
}

// Each tool by its name is its own row, and runs its own button.
TEST(CommandLine, EveryToolHasItsOwnButton) {
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        for (std::size_t j = i + 1; j < kDialogToolCount; ++j) {
            EXPECT_NE(kDialogTools[i].button_id, kDialogTools[j].button_id) << kDialogTools[i].name;
            EXPECT_STRNE(kDialogTools[i].name, kDialogTools[j].name);
        }
        const Parsed r = Parse({kDialogTools[i].name});
        ASSERT_EQ(r.outcome, ParseOutcome::Run) << kDialogTools[i].name;
        EXPECT_EQ(r.options.tool, &kDialogTools[i]);
    }
    EXPECT_EQ(kDialogToolCount, 15u);
}

TEST(Utf16Arguments, BecomeUtf8) {
    std::string utf8;
    ASSERT_TRUE(Utf16ToUtf8(u"a\u00E9\u4E2D", utf8));
    EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD");
    ASSERT_TRUE(Utf16ToUtf8(u"\U0001F600", utf8));  // a surrogate pair
    EXPECT_EQ(utf8, "\xF0\x9F\x98\x80");
    ASSERT_TRUE(Utf16ToUtf8(u"\U0010FFFF", utf8));
    EXPECT_EQ(utf8, "\xF4\x8F\xBF\xBF");
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, u'\xD800'), utf8));            // high alone
    EXPECT_FALSE(Utf16ToUtf8(std::u16string({u'\xDC00', u'\xD800'}), utf8));  // wrong order
    EXPECT_FALSE(Utf16ToUtf8(std::u16string({u'\xD83D', u'a'}), utf8));
}

// A tool's name after the tool is its TEXT; options before the tool belong to it.
TEST(CommandLine, OneToolAtATime) {
    const Parsed named = Parse({"sum8", "md5"});
    ASSERT_EQ(named.outcome, ParseOutcome::Run);
    EXPECT_EQ(named.options.tool->button_id, IDC_BTN_SUM8);
    EXPECT_EQ(named.options.text, "md5");
    EXPECT_EQ(Parse({"sum8", "a", "md5"}).error, "too many arguments (quote a TEXT with blanks)");
    EXPECT_EQ(Parse({"-x", "sum8"}).error, "unknown option '-x'");
    EXPECT_EQ(Parse({"/tmp"}).error, "unknown tool '/tmp'");  // no Windows-style options
    EXPECT_EQ(Parse({"sum8", "--gbk=no", "a"}).error, "--gbk takes no value");
    EXPECT_EQ(Parse({"--low-first=1", "sum8"}).error, "--low-first takes no value");
    // "++" is TEXT too, not the end of a subcommand.
    EXPECT_EQ(Parse({"sum8", "++"}).options.text, "++");
    const Parsed number = Parse({"float2hex", "-.5e-3", "--low-first"});
    ASSERT_EQ(number.outcome, ParseOutcome::Run);
    EXPECT_EQ(number.options.text, "-.5e-3");
    EXPECT_TRUE(number.options.low_first);
    // A dash and a digit start TEXT whatever follows (CLI11's rule: no option is a digit).
    EXPECT_EQ(Parse({"float2hex", "-1e"}).options.text, "-1e");
    for (const char* word : {"-.", "-e5", "-.e1", "--5"}) {
        EXPECT_EQ(Parse({"float2hex", word}).error, std::string("unknown option '") + word + "'");
    }
}

// The top level lists every tool; a tool's help is its own and names its siblings.
TEST(CommandLine, HelpOfTheTopAndOfATool) {
    const Parsed top = Parse({"--help"});
    ASSERT_EQ(top.outcome, ParseOutcome::Help);
    const Parsed tool = Parse({"hex2float", "--help"});
    ASSERT_EQ(tool.outcome, ParseOutcome::Help);
    EXPECT_NE(top.error, tool.error);
    EXPECT_NE(tool.error.find("Runs hex2float (hex bytes to single-precision values)"), std::string::npos);
    EXPECT_NE(tool.error.find("hex digits, with --ascii too"), std::string::npos);
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        EXPECT_NE(top.error.find(std::string("\n  ") + kDialogTools[i].name + " "), std::string::npos);
    }
}

TEST(MessageText, EscapesWhatIsNoUtf8Text) {
    const struct {
        std::string bytes, shown;
    } cases[] = {
        {"plain -x", "plain -x"},
        {"中文", "中文"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // U+1F600, four bytes
        {"\xFF", "\\xFF"},
        {"a\xE4\xB8", "a\\xE4\\xB8"},            // cut short
        {"\xC0\x80", "\\xC0\\x80"},              // overlong NUL
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},     // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},  // above U+10FFFF
        {"\x1B[2J\x7F", "\\x1B[2J\\x7F"},        // control characters
        {"\xD6\xD0", "\\xD6\\xD0"},              // GBK is no UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeBytes(c.bytes), c.shown) << c.shown;
}

// Counts and rates: digits only, up to the limit and not one past, and a
// word as long as the largest 64-bit number without wrapping round.
TEST(DecimalWords, ReachTheLimitAndNoFurther) {
    unsigned long long value = 0;
    EXPECT_TRUE(ReadDecimalWord("65535", 65535, value));
    EXPECT_EQ(value, 65535u);
    EXPECT_FALSE(ReadDecimalWord("65536", 65535, value));
    EXPECT_TRUE(ReadDecimalWord("0", 0, value));
    EXPECT_FALSE(ReadDecimalWord("1", 0, value));
    EXPECT_TRUE(ReadDecimalWord("18446744073709551615", ~0ULL, value));
    EXPECT_EQ(value, ~0ULL);
    EXPECT_FALSE(ReadDecimalWord("18446744073709551616", ~0ULL, value));
    EXPECT_FALSE(ReadDecimalWord("99999999999999999999", ~0ULL, value));
    for (const char* word : {"", "-1", "+1", " 1", "1 ", "0x10", "1e3"}) {
        EXPECT_FALSE(ReadDecimalWord(word, ~0ULL, value)) << word;
    }
}
