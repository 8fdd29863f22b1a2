// Every word of the command line reaches its command as typed, through every
// command and every place a word goes: formats, arguments, file names,
// models, values of options. The words are those a parser might take for
// its own: brackets and commas (CLI11 read "[a,b]" as a list of two words and
// "[]" as none), braces, quotes, blanks, "%%", "++", an empty word, words
// that start with a dash (after "--", where they are no options) and
// negative numbers (before it too, where a command takes values). What the
// command does with the word shows what it got: printf and upper echo it,
// crc and array read its bytes or the file it names, and the others refuse
// it, quoting it.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "quobrix_process.h"
#include "support/crc_model.h"
#include "temp_folder.h"

namespace {

// Words that are no option anywhere: before "--" and after it alike.
const std::vector<std::string> kPlainWords = {
    "[x]", "[a,b]", "[]", "[", "]", "[[a]]", "{a,b}", "{}", "a,b", ",", "\"x\"", "'x'", "a b", "%%", "x=y",
    "++",  "中文,[x]",
};
// Words that start with a dash: options before "--", so they come after it.
const std::vector<std::string> kDashWords = {"-x", "--x", "--help", "--", "-[a,b]", "--y=[a]"};
// Numbers with a sign: values wherever they stand.
const std::vector<std::string> kNegativeNumbers = {"-5",   "-.5",      "-1e3",    "-5.",   "-.5e1",
                                                   "-inf", "-Infinity", "-0x1p-2", "-nan", "-NAN(1)"};

bool StartsWithDash(const std::string& word) { return !word.empty() && word[0] == '-'; }

std::vector<std::string> EveryWord() {
    std::vector<std::string> words = kPlainWords;
    words.insert(words.end(), kDashWords.begin(), kDashWords.end());
    words.insert(words.end(), kNegativeNumbers.begin(), kNegativeNumbers.end());
    words.push_back("");
    return words;
}

// `before`, the word (after "--" where it would be an option), then `after`.
std::vector<std::string> Positional(std::vector<std::string> before, const std::string& word,
                                    const std::vector<std::string>& after = {}) {
    const bool is_number = std::find(kNegativeNumbers.begin(), kNegativeNumbers.end(), word) != kNegativeNumbers.end();
    if (StartsWithDash(word) && !is_number) before.push_back("--");
    before.push_back(word);
    before.insert(before.end(), after.begin(), after.end());
    return before;
}

std::string Shown(const std::vector<std::string>& args) {
    std::string line = "quobrix";
    for (const std::string& arg : args) line += " '" + arg + "'";
    return line;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Crc32Line(const std::string& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc_model::kCrc32Model.Crc(bytes)));
    return text;
}

// The bytes as quobrix array lists them on a line.
std::string ArrayLine(const std::string& bytes) {
    std::string line = "  ";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02x", static_cast<unsigned char>(bytes[i]));
        line += (i == 0 ? "" : ", ") + std::string(byte);
    }
    return line + "\n";
}

// The test's process works in `folder` while it lives: a file name given to
// quobrix is then the word itself, with no path before its brackets.
class InFolder {
public:
    explicit InFolder(const std::string& folder) {
        char* here = getcwd(nullptr, 0);
        if (here != nullptr) before_ = here;
        std::free(here);
        ok_ = chdir(folder.c_str()) == 0;
    }
    ~InFolder() {
        if (!before_.empty() && chdir(before_.c_str()) != 0) std::abort();
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;
    bool ok() const { return ok_; }

private:
    std::string before_;
    bool ok_ = false;
};

}  // namespace

// printf's arguments and formats, and a dialog tool's TEXT, come back as typed.
TEST_F(QuobrixCli, EveryWordReachesPrintfAndTheDialogToolsAsTyped) {
    for (const std::string& word : EveryWord()) {
        const std::vector<std::string> echo = Positional({"printf", "<%s>"}, word);
        const ProcessResult r = Quobrix(echo);
        EXPECT_EQ(r.exit_code, 0) << Shown(echo) << "\n" << r.err;
        EXPECT_EQ(r.out, "<" + word + ">") << Shown(echo);

        const std::vector<std::string> upper = Positional({"upper"}, word);
        const ProcessResult u = Quobrix(upper);
        EXPECT_EQ(u.exit_code, 0) << Shown(upper) << "\n" << u.err;
        EXPECT_EQ(u.out, Upper(word)) << Shown(upper);

        // One word more than the tool takes is one too many ("-x" would be
        // called an unknown option).
        if (word == "--" || !StartsWithDash(word)) {
            const std::vector<std::string> extra = {"upper", "--", "a", word};
            const ProcessResult x = Quobrix(extra);
            EXPECT_EQ(x.exit_code, 2) << Shown(extra) << "\n" << x.out;
            EXPECT_EQ(x.err.rfind("quobrix: too many arguments", 0), 0u) << Shown(extra) << "\n" << x.err;
        }

        if (word.find_first_of("%\\") != std::string::npos) continue;
        // The word as the format itself, taken as it stands.
        const std::vector<std::string> format = {"printf", "--raw", "--", word};
        const ProcessResult f = Quobrix(format);
        EXPECT_EQ(f.exit_code, 0) << Shown(format) << "\n" << f.err;
        EXPECT_EQ(f.out, word) << Shown(format);
    }
    // All of them at once: as many arguments as words, in their order.
    std::vector<std::string> all = {"printf", "--", ""};
    std::string expected;
    for (const std::string& word : EveryWord()) {
        all[2] += "<%s>";
        all.push_back(word);
        expected += "<" + word + ">";
    }
    ExpectReport(Quobrix(all), expected);
}

// A number with a sign is a value, as the help of printf promises: the C
// library reads and writes it as the oracle.
TEST_F(QuobrixCli, NegativeNumbersAreValuesNotOptions) {
    for (const std::string& number : kNegativeNumbers) {
        char text[64];
        std::snprintf(text, sizeof text, "%f", std::strtod(number.c_str(), nullptr));
        ExpectReport(Quobrix({"printf", "%f", number}), text);
        ExpectReport(Quobrix({"printf", "--raw", "%f|%s", number, number}), std::string(text) + "|" + number);
    }
    // An option that is no number is still one.
    const ProcessResult r = Quobrix({"printf", "%s", "-e5"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("unknown option '-e5'"), std::string::npos) << r.err;
}

// crc and array read the bytes of a --text, and the file a word names: a
// file "[a,b]" beside the files "a" and "b", "[x]" beside "x".
TEST_F(QuobrixCli, EveryWordIsReadAsTheBytesOrTheFileItNames) {
    TempFolder folder;
    InFolder in_folder(folder.Path(""));
    ASSERT_TRUE(in_folder.ok());
    for (const std::string decoy : {"a", "b", "x", "中文"}) folder.Write(decoy, "decoy");
    for (const std::string& word : EveryWord()) {
        const std::vector<std::string> crc_text = {"crc", "CRC-32/ISO-HDLC", "--text", word};
        ExpectReport(Quobrix(crc_text), Crc32Line(word) + "\n");
        if (!word.empty()) {
            const std::vector<std::string> array_text = {"array", "--text", word};
            const ProcessResult a = Quobrix(array_text);
            EXPECT_EQ(a.exit_code, 0) << Shown(array_text) << "\n" << a.err;
            EXPECT_NE(a.out.find(ArrayLine(word)), std::string::npos) << Shown(array_text) << "\n" << a.out;
        }
        // "-" is standard input.
        if (word.empty() || word == "-") continue;
        // Windows' file names hold none of <>:"|?*, and drop a last dot or
        // blank ("-5." is "-5" there): such a word names no file of its own.
        if (kArgumentsAreUnicode && (word.find_first_of("<>:\"|?*\\") != std::string::npos ||
                                     word.back() == '.' || word.back() == ' ')) {
            continue;
        }
        const std::string content = "<" + word + ">";
        folder.Write(word, content);
        const std::vector<std::string> crc_file = Positional({"crc", "CRC-32/ISO-HDLC"}, word);
        const ProcessResult c = Quobrix(crc_file);
        EXPECT_EQ(c.exit_code, 0) << Shown(crc_file) << "\n" << c.err;
        EXPECT_EQ(c.out.substr(0, 8), Crc32Line(content)) << Shown(crc_file) << "\n" << c.out;
        // The array is named here: a name made from such a file name may be
        // one C keeps for the compiler, which array refuses on its own.
        const std::vector<std::string> array_file = Positional({"array", "--name", "data"}, word);
        const ProcessResult a = Quobrix(array_file);
        EXPECT_EQ(a.exit_code, 0) << Shown(array_file) << "\n" << a.err;
        EXPECT_NE(a.out.find(ArrayLine(content)), std::string::npos) << Shown(array_file) << "\n" << a.out;
    }
}

// Where a command cannot take the word, it refuses it and quotes it whole.
TEST_F(QuobrixCli, EveryCommandRefusesAWordQuotingItAsTyped) {
    // The words a place takes, which are left out here.
    enum Takes { kNoneOfThem, kParameterLines, kOneByteOrder, kNumbers };
    const struct {
        std::vector<std::string> before;  // the word follows
        std::vector<std::string> after;
        bool positional;  // else the value of the option last in `before`
        Takes takes;
    } kPlaces[] = {
        {{"crc", "--text", "1"}, {}, true, kParameterLines},          // MODEL
        {{"frame", "--order", "le"}, {"01"}, true, kParameterLines},  // CHECK
        {{"frame", "SUM-8", "--order"}, {"01"}, false, kOneByteOrder},
        {{"find", "--max-skip"}, {"01"}, false, kNoneOfThem},
        {{"num", "--type"}, {"01"}, false, kNoneOfThem},
        {{"num", "--type", "float64", "--order", "ABCDEFGH", "--from"}, {}, false, kNumbers},
        {{"parts"}, {}, true, kNoneOfThem},  // VALUE
        {{"parts", "--series"}, {"1k"}, false, kNoneOfThem},
        {{"parts", "divider"}, {"1"}, true, kNoneOfThem},  // VIN
        {{"parts", "code", "r"}, {}, true, kNoneOfThem},   // CODE
        {{"filter"}, {}, true, kNoneOfThem},               // the filter
        {{"filter", "rc"}, {}, true, kNoneOfThem},         // FREQ
        {{"filter", "rc", "--r"}, {"--c", "1n"}, false, kNoneOfThem},
        {{"random"}, {}, true, kNoneOfThem},
        {{"random", "--range"}, {}, false, kNoneOfThem},
        {{"random", "--count"}, {"--range", "1..2"}, false, kNoneOfThem},
        {{"array", "--name"}, {"--text", "a"}, false, kNoneOfThem},
        {{"array", "--type"}, {"--text", "a"}, false, kNoneOfThem},
    };
    for (const auto& place : kPlaces) {
        for (const std::string& word : EveryWord()) {
            const bool is_number =
                std::find(kNegativeNumbers.begin(), kNegativeNumbers.end(), word) != kNegativeNumbers.end();
            if ((place.takes == kParameterLines && word.find('=') != std::string::npos) ||
                (place.takes == kOneByteOrder && word == "-") || (place.takes == kNumbers && is_number)) {
                continue;
            }
            std::vector<std::string> args = place.before;
            if (place.positional) {
                args = Positional(place.before, word, place.after);
            } else {
                args.push_back(word);
                args.insert(args.end(), place.after.begin(), place.after.end());
            }
            const ProcessResult r = Quobrix(args);
            EXPECT_EQ(r.exit_code, 2) << Shown(args) << "\n" << r.out;
            const bool quoted = r.err.find("'" + word + "'") != std::string::npos ||
                                r.err.find("\"" + word + "\"") != std::string::npos;
            EXPECT_TRUE(quoted) << Shown(args) << "\n" << r.err;
        }
    }
}
