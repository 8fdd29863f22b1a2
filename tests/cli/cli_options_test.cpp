// The command line parser and the conversion of Windows' UTF-16 arguments.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "cli/dialog_tools_command.h"
#include "cli/utf16.h"
#include "res/resource.h"

namespace {

struct Parsed {
    ParseOutcome outcome;
    std::string error;   // or the help text
    CliOptions options;  // of the dialog tool that runs
};

Parsed Parse(const std::vector<std::string>& args) {
    CommandLine command_line;
    const ParseResult r = command_line.Parse(args);
    Parsed parsed{r.outcome, r.text, {}};
    if (r.command != nullptr) parsed.options = dynamic_cast<const DialogToolsCommand&>(*r.command).options();
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
        {{"sum9"}, "unknown tool 'sum9'"},
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

TEST(CommandLine, EveryToolHasItsOwnButton) {
    for (std::size_t i = 0; i < kCliToolCount; ++i) {
        for (std::size_t j = i + 1; j < kCliToolCount; ++j) {
            EXPECT_NE(kCliTools[i].button_id, kCliTools[j].button_id) << kCliTools[i].name;
            EXPECT_STRNE(kCliTools[i].name, kCliTools[j].name);
        }
        EXPECT_EQ(FindCliTool(kCliTools[i].name), &kCliTools[i]);
    }
    EXPECT_EQ(kCliToolCount, 15u);
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
