// The pages that stand for one command each, without a window: the words
// their fields make, read back by a real shell; their answers against
// published values and arithmetic done here; and the cut a page makes of an
// output too long to show.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/in_process.h"
#include "cli/temp_folder.h"
#include "support/random_bytes.h"
#include "workbench_window/pages/command_pages.h"

namespace {

using namespace command_pages;

constexpr std::size_t kShown = 1u << 20;

std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

// ---- The command line a page shows -------------------------------------

// /bin/sh splits the shown line back into the words, whatever they hold.
TEST(CommandPageLine, AShellReadsBackTheWords) {
    const std::vector<std::string> words = {"printf",  "--", "%s|%d\\n", "it's",  "", "a b", "\"q\"",
                                            "$HOME",   "`x`", "*",       "中文",  "-inf", "tab\there"};
    const std::string line = ShellLine(words);
    ASSERT_EQ(line.compare(0, 8, "quobrix "), 0);
    // The shell's printf writes each word on a line of its own.
    const std::string command = "printf '%s\\n'" + line.substr(7);
    FILE* shell = popen(command.c_str(), "r");
    ASSERT_NE(shell, nullptr);
    std::string said;
    char block[256];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, shell)) > 0) said.append(block, n);
    ASSERT_EQ(pclose(shell), 0);
    std::string expected;
    for (const std::string& word : words) expected += word + "\n";
    EXPECT_EQ(said, expected);
}

TEST(CommandPageLine, PlainWordsStayUnquoted) {
    EXPECT_EQ(ShellLine({"parts", "--series", "E24", "4.8k"}), "quobrix parts --series E24 4.8k");
}

// ---- 文件->数组 ---------------------------------------------------------

// Bytes to C and back, the C text typed into the box: every byte value, in
// each element type, odd lengths padded.
TEST(ArrayPage, BytesToCAndBackInEveryType) {
    std::mt19937 random(24);
    for (const char* type : {"u8", "u16le", "u16be", "u32le", "u32be"}) {
        for (const std::size_t size : {1u, 7u, 256u, 1001u}) {
            const std::vector<unsigned char> bytes = RandomBytes(random, size);
            std::string hex;
            for (const unsigned char byte : bytes) {
                char digits[4];
                std::snprintf(digits, sizeof digits, "%02x ", byte);
                hex += digits;
            }
            ArrayFields forward;
            forward.source = ArraySource::kHex;
            forward.input = hex;
            forward.type = type;
            forward.pad = true;
            forward.decimal = size % 2 == 1;
            const Outcome c = RunCommand(ArrayWords(forward), kShown);
            ASSERT_EQ(c.status, 0) << type << " " << size << ": " << c.err;

            ArrayFields back;
            back.reverse = true;
            back.source = ArraySource::kText;
            back.input = c.out;
            back.type = type;
            const Outcome again = RunCommand(ArrayWords(back), kShown);
            ASSERT_EQ(again.status, 0) << again.err;
            std::string padded(bytes.begin(), bytes.end());
            const std::size_t element = type[1] == '8' ? 1 : type[1] == '1' ? 2 : 4;
            padded.resize((size + element - 1) / element * element, '\0');
            EXPECT_EQ(again.out, padded) << type << " " << size;
        }
    }
}

TEST(ArrayPage, TheCommandsMessagesNameTheLine) {
    ArrayFields back;
    back.reverse = true;
    back.source = ArraySource::kText;
    back.input = "{ 1, 2,\n 3, zz }";
    const Outcome outcome = RunCommand(ArrayWords(back), kShown);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.err.find("line 2"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("quobrix: "), std::string::npos) << outcome.err;
}

TEST(ArrayPage, AFileThatIsNotThereIsNamed) {
    ArrayFields fields;
    fields.file = "/nonexistent/firmware.bin";
    const Outcome outcome = RunCommand(ArrayWords(fields), kShown);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.err.find("/nonexistent/firmware.bin"), std::string::npos) << outcome.err;
}

TEST(CommandPageHex, SixteenBytesToALine) {
    std::string bytes;
    for (int i = 0; i < 17; ++i) bytes += static_cast<char>(i * 15);
    EXPECT_EQ(HexLines(bytes),
              "00 0F 1E 2D 3C 4B 5A 69 78 87 96 A5 B4 C3 D2 E1\n"
              "F0\n");
    EXPECT_EQ(HexLines(""), "");
}

// ---- An output too long to show ----------------------------------------

// The page keeps the first bytes, and they are those of the whole output.
TEST(CommandPageCut, TheFirstBytesOfTheWholeOutput) {
    RandomFields fields;
    fields.count = "200000";
    fields.low = "0";
    fields.high = "18446744073709551615";
    fields.seed = "7";
    std::string whole;
    const Outcome all = RunCommandInto(RandomWords(fields), [&whole](const std::string& bytes) {
        whole += bytes;
        return true;
    });
    ASSERT_EQ(all.status, 0) << all.err;
    ASSERT_GT(whole.size(), 1000000u);
    const Outcome shown = RunCommand(RandomWords(fields), 1000);
    EXPECT_EQ(shown.status, 0);
    EXPECT_TRUE(shown.cut);
    EXPECT_EQ(shown.err, "");
    EXPECT_EQ(shown.out, whole.substr(0, 1000));

    const Outcome short_one = RunCommand(RandomWords(fields), whole.size());
    EXPECT_FALSE(short_one.cut);
    EXPECT_EQ(short_one.out, whole);
}

TEST(CommandPageCut, AWriteThatFailsIsAnError) {
    RandomFields fields;
    fields.kind = RandomKind::kBytes;
    fields.count = "100000";
    fields.seed = "1";
    const Outcome outcome = RunCommandInto(RandomWords(fields), [](const std::string&) { return false; });
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.err, "");
}

// ---- 保存 ----------------------------------------------------------------

// A run saved whole: the same bytes the run writes; a failed one leaves the
// file as it was and nothing beside it; a file that cannot be made is named.
TEST(CommandPageSave, WholeOrNotAtAll) {
    TempFolder folder;
    RandomFields fields;
    fields.kind = RandomKind::kBytes;
    fields.count = "300000";
    fields.seed = "5";
    const Outcome shown = RunCommand(RandomWords(fields), 1u << 24);
    ASSERT_EQ(shown.status, 0) << shown.err;
    const std::string path = folder.Write("bytes.txt", "kept");
    Outcome saved = RunCommandToFile(RandomWords(fields), path);
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(folder.Read("bytes.txt"), shown.out);

    // An error after the first blocks were written.
    ArrayFields back;
    back.reverse = true;
    back.source = ArraySource::kText;
    back.input = "{\n";
    for (int i = 0; i < 100000; ++i) back.input += "1, 2, 3, 4,\n";
    back.input += "5, six }";
    saved = RunCommandToFile(ArrayWords(back), path);
    EXPECT_NE(saved.status, 0);
    EXPECT_NE(saved.err.find("line 100002"), std::string::npos) << saved.err;
    EXPECT_EQ(folder.Read("bytes.txt"), shown.out);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);

    saved = RunCommandToFile(RandomWords(fields), folder.Path("no/such/folder.txt"));
    EXPECT_NE(saved.status, 0);
    EXPECT_NE(saved.err.find("no/such/folder.txt"), std::string::npos) << saved.err;
}

// 保存 onto what a name may stand for, as quobrix -o writes it: a link
// stays a link, a file of two names keeps both, a file keeps its mode, and
// a FIFO is written through and stays one.
TEST(CommandPageSave, KeepsWhatTheNameStandsFor) {
    TempFolder folder;
    RandomFields fields;
    fields.kind = RandomKind::kBytes;
    fields.count = "64";
    fields.seed = "7";
    const Outcome shown = RunCommand(RandomWords(fields), 1u << 24);
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto save = [&](const std::string& path) {
        const Outcome saved = RunCommandToFile(RandomWords(fields), path);
        EXPECT_EQ(saved.status, 0) << saved.err;
    };

    folder.Write("real.txt", "old");
    ASSERT_EQ(symlink("real.txt", folder.Path("link.txt").c_str()), 0);
    save(folder.Path("link.txt"));
    struct stat status = {};
    ASSERT_EQ(lstat(folder.Path("link.txt").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(folder.Read("real.txt"), shown.out);

    folder.Write("one.txt", "old");
    ASSERT_EQ(link(folder.Path("one.txt").c_str(), folder.Path("two.txt").c_str()), 0);
    save(folder.Path("one.txt"));
    EXPECT_EQ(folder.Read("two.txt"), shown.out);

    const std::string secret = folder.Write("secret.txt", "old");
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    save(secret);
    ASSERT_EQ(lstat(secret.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(folder.Read("secret.txt"), shown.out);

    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    save(fifo);
    std::string got;
    char block[4096];
    ssize_t n = 0;
    while ((n = read(reader, block, sizeof block)) > 0) got.append(block, static_cast<std::size_t>(n));
    close(reader);
    EXPECT_EQ(got, shown.out);
    ASSERT_EQ(lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"fifo", "link.txt", "one.txt", "real.txt", "secret.txt", "two.txt"}));
}

// A save cancelled midway, as the page's 取消 does it from another thread:
// no file where there was none, the old file untouched where there was one,
// nothing left beside it; and the read's progress, bytes of the file's size,
// went forward only. Cancelled or not, the run says so.
TEST(CommandPageSave, CancelledLeavesNoFileAndTheOldOneWhole) {
    TempFolder folder;
    const std::string input = folder.Write("firmware.bin", std::string(6u << 20, '\x01'));
    ArrayFields fields;
    fields.file = input;
    for (const bool was_there : {false, true}) {
        const std::string path = folder.Path("firmware.c");
        if (was_there) folder.Write("firmware.c", "old");
        std::uint64_t read = 0, size = 0, written = 0;
        RunWatch watch;
        // Cancelled once the first megabyte is written.
        watch.written = [&](std::uint64_t bytes) { written = bytes; };
        watch.cancelled = [&] { return written >= (1u << 20); };
        watch.progress = [&](std::uint64_t done, std::uint64_t total) {
            EXPECT_GE(done, read);
            read = done;
            size = total;
        };
        const Outcome outcome = RunCommandToFile(ArrayWords(fields), path, watch);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_NE(outcome.status, 0);
        EXPECT_EQ(size, 6u << 20);
        EXPECT_GT(read, 0u);
        EXPECT_LT(read, size) << "the read went on after the cancel";
        if (was_there) {
            EXPECT_EQ(folder.Read("firmware.c"), "old");
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) files += entry.is_regular_file();
        EXPECT_EQ(files, was_there ? 2u : 1u);
    }
    // Watched and never cancelled: the bytes of the run, the read to its end.
    std::uint64_t read = 0;
    RunWatch watch;
    watch.cancelled = [] { return false; };
    watch.progress = [&](std::uint64_t done, std::uint64_t) { read = done; };
    const Outcome saved = RunCommandToFile(ArrayWords(fields), folder.Path("whole.c"), watch);
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_FALSE(saved.cancelled);
    EXPECT_EQ(read, 6u << 20);
    const Outcome shown = RunCommand(ArrayWords(fields), std::size_t{1} << 30);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(folder.Read("whole.c") == shown.out);
}

// A long sorted draw shown on the page stops at the cancel, before any of
// it is shown, with its progress counted in values.
TEST(RandomPage, ALongSortedDrawStopsWhenCancelled) {
    RandomFields fields;
    fields.count = "20000000";
    fields.low = "0";
    fields.high = "0xFFFFFFFFFFFFFFFF";
    fields.sort = true;
    fields.seed = "1";
    std::uint64_t done = 0, total = 0;
    RunWatch watch;
    watch.progress = [&](std::uint64_t d, std::uint64_t t) {
        done = d;
        total = t;
    };
    watch.cancelled = [&] { return done >= 1000000; };
    const Outcome outcome = RunCommand(RandomWords(fields), kShown, watch);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_NE(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(total, 40000000u);  // drawn, then sorted
    EXPECT_LT(done, 2000000u);
}

// ---- 元件值选型 ---------------------------------------------------------

TEST(PartsPage, NearestE24ValuesOf4k8) {
    PartsFields fields;
    fields.series = "E24";
    fields.value = "4.8k";
    const Outcome outcome = RunCommand(PartsWords(PartsJob::kNearest, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // 4.7 / 4.8 - 1 and 5.1 / 4.8 - 1.
    EXPECT_NE(outcome.out.find("4.7k         -2.08 %"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("5.1k         +6.25 %"), std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.command, "quobrix parts --series E24 4.8k");
}

// Every pair listed divides 12 V to within its stated error of 3.3 V.
TEST(PartsPage, DividerPairsMakeTheirVoltage) {
    PartsFields fields;
    fields.vin = "12";
    fields.vout = "3.3";
    fields.count = "5";
    const Outcome outcome = RunCommand(PartsWords(PartsJob::kDivider, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    int pairs = 0;
    for (const std::string& line : OutputLines(outcome.out)) {
        double r1 = 0, r2 = 0;
        char p1 = 0, p2 = 0;
        // R1 and R2 as the command writes them: 4.7k, 100, 1.2M.
        if (std::sscanf(line.c_str(), "%lf%c %lf%c", &r1, &p1, &r2, &p2) != 4) continue;
        const auto scale = [](double v, char prefix) { return prefix == 'k' ? v * 1e3 : prefix == 'M' ? v * 1e6 : v; };
        r1 = scale(r1, p1);
        r2 = scale(r2, p2);
        if (r1 <= 0 || r2 <= 0) continue;
        ++pairs;
        EXPECT_NEAR(12 * r2 / (r1 + r2), 3.3, 3.3 * 0.01) << line;
    }
    EXPECT_EQ(pairs, 5) << outcome.out;
}

TEST(PartsPage, CodesBothWays) {
    PartsFields fields;
    fields.kind = "resistor";
    fields.code = "yellow violet red gold";
    Outcome outcome = RunCommand(PartsWords(PartsJob::kCode, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("4.7k"), std::string::npos) << outcome.out;

    fields.kind = "capacitor";
    fields.code = "104";
    outcome = RunCommand(PartsWords(PartsJob::kCode, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("100n"), std::string::npos) << outcome.out;

    fields.kind = "resistor";
    fields.value = "4k7";
    outcome = RunCommand(PartsWords(PartsJob::kMark, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("472"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("yellow violet red"), std::string::npos) << outcome.out;

    // Six bands by IEC 60062's colours: 4, 7, 0, x10, brown +-1 %, red 50 ppm/K.
    fields.tolerance = "1";
    fields.tempco = "50";
    outcome = RunCommand(PartsWords(PartsJob::kMark, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("yellow violet black brown brown red\n"), std::string::npos) << outcome.out;
    fields.code = "yellow violet black brown brown red";
    outcome = RunCommand(PartsWords(PartsJob::kCode, fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("4.7k"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("50 ppm/K"), std::string::npos) << outcome.out;
}

TEST(PartsPage, AnEmptyCodeOrAValueThatIsNoneIsTheCommandsError) {
    PartsFields fields;
    fields.code = "  ";
    EXPECT_NE(RunCommand(PartsWords(PartsJob::kCode, fields), kShown).status, 0);
    fields.value = "4x7";
    const Outcome outcome = RunCommand(PartsWords(PartsJob::kNearest, fields), kShown);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.err.find("4x7"), std::string::npos) << outcome.err;
}

// ---- 滤波器选型 ---------------------------------------------------------

// The best RC pair's own fc, worked out here, is within a few per cent of 1 kHz.
TEST(FilterPage, RcLowPassOf1kHz) {
    FilterFields fields;
    fields.frequency = "1k";
    fields.count = "3";
    const Outcome outcome = RunCommand(FilterDesignWords(fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::vector<std::string> lines = OutputLines(outcome.out);
    ASSERT_EQ(lines.size(), 4u) << outcome.out;
    double r = 0, c = 0;
    char pr = 0, pc = 0;
    ASSERT_EQ(std::sscanf(lines[1].c_str(), "%lf%c %lf%c", &r, &pr, &c, &pc), 4) << lines[1];
    r *= pr == 'k' ? 1e3 : pr == 'M' ? 1e6 : 1;
    c *= pc == 'n' ? 1e-9 : pc == 'u' ? 1e-6 : pc == 'p' ? 1e-12 : 1;
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(1 / (2 * pi * r * c), 1000, 30) << lines[1];
}

TEST(FilterPage, FrequencyOfPartsAndAMissingPartNamed) {
    FilterFields fields;
    fields.kind = FilterKind::kLc;
    fields.l = "10u";
    fields.c1 = "100n";
    Outcome outcome = RunCommand(FilterFrequencyWords(fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // 1 / (2 pi sqrt(1e-12)) = 159.15 kHz.
    EXPECT_NE(outcome.out.find("159.2kHz"), std::string::npos) << outcome.out;

    fields.kind = FilterKind::kSallenKey;
    fields.r1 = "10k";
    fields.r2 = "10k";
    fields.c1 = "22n";
    outcome = RunCommand(FilterFrequencyWords(fields), kShown);
    EXPECT_NE(outcome.status, 0);
    EXPECT_NE(outcome.err.find("--c2"), std::string::npos) << outcome.err;
}

// ---- Printf函数 ---------------------------------------------------------

TEST(PrintfPage, TextAndWhichArgumentEachConversionTook) {
    PrintfFields fields;
    fields.format = "%08.3f|%-5hhd|%#x";
    fields.arguments = "3.14159\r\n300\r\n255\r\n";
    const PrintfAnswer answer = Format(fields, kShown);
    ASSERT_EQ(answer.outcome.status, 0) << answer.outcome.err;
    EXPECT_EQ(answer.outcome.out, "0003.142|44   |0xff");
    const std::vector<std::string> table = OutputLines(answer.table);
    ASSERT_EQ(table.size(), 4u) << answer.table;
    EXPECT_EQ(table[0].compare(0, 10, "conversion"), 0) << answer.table;
    EXPECT_NE(table[1].find("double"), std::string::npos) << table[1];
    EXPECT_NE(table[2].find("signed char"), std::string::npos) << table[2];
    EXPECT_NE(table[2].find("44"), std::string::npos) << table[2];
    EXPECT_NE(table[3].find("unsigned int"), std::string::npos) << table[3];
}

// A text longer than the page shows is cut, and its table is still the
// command's: quobrix printf --explain's lines after every byte of the text.
TEST(PrintfPage, ALongTextStillHasItsTable) {
    PrintfFields fields;
    // 300 000 characters, in conversions of the widest width the command takes.
    fields.format = "%60000d%60000d%60000d%60000d%-60000s|%x";
    fields.arguments = "1\r\n2\r\n3\r\n4\r\nab\r\n255\r\n";
    constexpr std::size_t kPageShows = 256 * 1024;
    const PrintfAnswer answer = Format(fields, kPageShows);
    ASSERT_EQ(answer.outcome.status, 0) << answer.outcome.err;
    ASSERT_TRUE(answer.outcome.cut);
    EXPECT_EQ(answer.outcome.out.size(), kPageShows);
    std::string text;
    for (const char* number : {"1", "2", "3", "4"}) text += std::string(59999, ' ') + number;
    text += "ab" + std::string(59998, ' ') + "|ff";
    const CliOutcome cli = RunInProcess({"printf", "--explain", fields.format, "1", "2", "3", "4", "ab", "255"});
    ASSERT_EQ(cli.out.compare(0, text.size() + 1, text + "\n"), 0);
    EXPECT_EQ(answer.table, cli.out.substr(text.size() + 1));
    const std::vector<std::string> table = OutputLines(answer.table);
    ASSERT_EQ(table.size(), 7u) << answer.table;
    EXPECT_NE(table[6].find("unsigned int"), std::string::npos) << table[6];
}

TEST(PrintfPage, AnArgumentLikeAnOptionAndAMissingOne) {
    PrintfFields fields;
    fields.format = "%f %d";
    fields.arguments = "-inf";
    const PrintfAnswer answer = Format(fields, kShown);
    EXPECT_NE(answer.outcome.status, 0);
    EXPECT_NE(answer.outcome.err.find("%d"), std::string::npos) << answer.outcome.err;
    EXPECT_EQ(answer.table, "");
}

// ---- 随机数集合 ---------------------------------------------------------

// The same seed draws the same dice on every build; each in range.
TEST(RandomPage, SeededDice) {
    RandomFields fields;
    fields.count = "10";
    fields.low = "1";
    fields.high = "6";
    fields.seed = "1";
    const Outcome outcome = RunCommand(RandomWords(fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "5\n4\n4\n3\n5\n1\n1\n3\n6\n4\n");
    EXPECT_EQ(outcome.command, "quobrix random --count 10 --range 1..6 --seed 1");
}

TEST(RandomPage, UniqueSortedAsACArray) {
    RandomFields fields;
    fields.count = "6";
    fields.low = "-3";
    fields.high = "2";
    fields.unique = true;
    fields.sort = true;
    fields.c_array = true;
    fields.name = "all";
    const Outcome outcome = RunCommand(RandomWords(fields), kShown);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // Six unique of six values, sorted: all of them.
    EXPECT_NE(outcome.out.find("const int8_t all[] = {\n  -3, -2, -1, 0, 1, 2\n};"), std::string::npos)
        << outcome.out;
    fields.count = "7";
    EXPECT_NE(RunCommand(RandomWords(fields), kShown).status, 0);
}
