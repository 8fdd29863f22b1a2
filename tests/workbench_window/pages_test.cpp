// The workbench window's pages without a window, against the command line
// run in-process on the same input: the page must show what quobrix prints,
// value for value and note for note. Published check values and the
// catalogue's own file are the oracles where the command line has no answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/file_stream.h"
#include "cli/in_process.h"
#include "support/random_bytes.h"
#include "workbench/crc/catalogue.h"
#include "workbench_window/pages/crc_page.h"
#include "workbench_window/pages/find_page.h"
#include "workbench_window/pages/frame_page.h"
#include "workbench_window/pages/number_page.h"
#include "workbench_window/pages/serial_page.h"
#include "workbench_window/pages/settings.h"

namespace {

const char kPrefix[] = "quobrix: ";

// Standard error's lines without the prefix.
std::vector<std::string> ErrLines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream stream(err);
    std::string line;
    while (std::getline(stream, line)) {
        if (line.compare(0, sizeof kPrefix - 1, kPrefix) == 0) line.erase(0, sizeof kPrefix - 1);
        lines.push_back(line);
    }
    return lines;
}

// A usage error's line ends by pointing to the help; the page has its
// fields, not a command line, to point to.
std::string WithoutUsageHint(std::string text) {
    const std::size_t hint = text.find(" (Usage: ");
    if (hint != std::string::npos) text.erase(hint, text.find(')', hint) + 1 - hint);
    return text;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

int ModelIndex(const std::string& name) {
    const std::vector<std::string> names = crc_page::ModelNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i);
    }
    return -1;
}

// The command line with files to read, as the program reads them.
CliOutcome RunInProcessWithFiles(const std::vector<std::string>& args) {
    CliEnvironment env;
    env.stream_file = [](const std::string& path, const ConsumeBlock& consume, std::string& error) {
        return StreamFile(path, consume, error);
    };
    CliOutcome outcome;
    outcome.code = RunCli(args, env, outcome.out, outcome.err);
    return outcome;
}

// The command line with `input` on standard input.
CliOutcome RunInProcessWithStdin(const std::vector<std::string>& args, const std::string& input) {
    CliEnvironment env;
    env.read_stdin = [&](std::size_t max_bytes, std::string& bytes, std::string&) {
        bytes = input.substr(0, max_bytes);
        return true;
    };
    CliOutcome outcome;
    outcome.code = RunCli(args, env, outcome.out, outcome.err);
    return outcome;
}

}  // namespace

// ---- The model list and lookup -----------------------------------------

// The catalogue's file, read here on its own: every model, by width then name.
struct CatalogueLine {
    int width;
    std::string name, poly;
};

std::vector<CatalogueLine> CatalogueFile() {
    std::ifstream file(QUOBRIX_CRC_CATALOGUE_DIR "/models.txt");
    std::vector<CatalogueLine> lines;
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t width = line.find("width="), poly = line.find("poly="), name = line.find("name=\"");
        if (width == std::string::npos || name == std::string::npos) continue;
        lines.push_back({std::stoi(line.substr(width + 6)), line.substr(name + 6, line.find('"', name + 6) - name - 6),
                         line.substr(poly + 5, line.find(' ', poly) - poly - 5)});
    }
    return lines;
}

TEST(CrcPageModels, AllOfTheCatalogueByWidthThenName) {
    std::vector<CatalogueLine> file = CatalogueFile();
    ASSERT_EQ(file.size(), 113u);
    std::stable_sort(file.begin(), file.end(), [](const CatalogueLine& a, const CatalogueLine& b) {
        return a.width != b.width ? a.width < b.width : a.name < b.name;
    });
    const std::vector<std::string> names = crc_page::ModelNames();
    ASSERT_EQ(names.size(), file.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], file[i].name) << "at " << i;
}

TEST(CrcPageModels, LookupByNameFormerNamePolynomialAndPrefix) {
    EXPECT_EQ(crc_page::LookUp("CRC-16/MODBUS").model, ModelIndex("CRC-16/MODBUS"));
    EXPECT_EQ(crc_page::LookUp("crc-16/modbus").model, ModelIndex("CRC-16/MODBUS"));
    // A former name selects the model and says its name now, as quobrix crc does.
    const crc_page::Lookup former = crc_page::LookUp("CRC-16/CCITT-FALSE");
    EXPECT_EQ(former.model, ModelIndex("CRC-16/IBM-3740"));
    const CliOutcome cli = RunInProcess({"crc", "CRC-16/CCITT-FALSE", "--hex", "01"});
    EXPECT_EQ(former.note + "\n", Joined(ErrLines(cli.err)));
    // A polynomial: the first model in the list's order that has it.
    for (const char* typed : {"0x8005", "8005", "0x04C11DB7", "0x1021", "0x31"}) {
        std::string digits = typed;
        if (digits.compare(0, 2, "0x") != 0) digits = "0x" + digits;
        int expected = -1;
        std::vector<CatalogueLine> file = CatalogueFile();
        std::stable_sort(file.begin(), file.end(), [](const CatalogueLine& a, const CatalogueLine& b) {
            return a.width != b.width ? a.width < b.width : a.name < b.name;
        });
        for (std::size_t i = 0; i < file.size() && expected < 0; ++i) {
            if (std::strtoull(file[i].poly.c_str(), nullptr, 16) == std::strtoull(digits.c_str(), nullptr, 16)) {
                expected = static_cast<int>(i);
            }
        }
        EXPECT_EQ(crc_page::LookUp(typed).model, expected) << typed;
    }
    EXPECT_EQ(crc_page::LookUp("CRC-32/ISO").model, ModelIndex("CRC-32/ISO-HDLC"));
}

TEST(CrcPageModels, CcittOffersTheThreeTheCommandLineNames) {
    for (const char* typed : {"CCITT", "crc-ccitt", "CRC16 CCITT"}) {
        const crc_page::Lookup lookup = crc_page::LookUp(typed);
        EXPECT_EQ(lookup.model, -1) << typed;
        const std::vector<int> expected = {ModelIndex("CRC-16/IBM-3740"), ModelIndex("CRC-16/XMODEM"),
                                           ModelIndex("CRC-16/KERMIT")};
        EXPECT_EQ(lookup.choices, expected) << typed;
        const CliOutcome cli = RunInProcess({"crc", typed, "--hex", "01"});
        EXPECT_EQ(cli.code, 2);
        EXPECT_EQ(lookup.note + "\n", Joined(ErrLines(cli.err))) << typed;
    }
}

TEST(CrcPageModels, UnknownNameGivesTheCommandLinesLines) {
    const crc_page::Lookup lookup = crc_page::LookUp("no such crc");
    EXPECT_EQ(lookup.model, -1);
    EXPECT_TRUE(lookup.choices.empty());
    const CliOutcome cli = RunInProcess({"crc", "no such crc", "--hex", "01"});
    EXPECT_EQ(lookup.note + "\n", Joined(ErrLines(cli.err)));
}

// ---- The parameter fields ----------------------------------------------

TEST(CrcPageFields, EveryModelsFieldsReadBackAsItAndShowItsCheck) {
    std::ifstream models(QUOBRIX_CRC_CATALOGUE_DIR "/models.txt");
    std::string line;
    int seen = 0;
    while (std::getline(models, line)) {
        const std::size_t name_at = line.find("name=\"");
        if (name_at == std::string::npos) continue;
        const std::string name = line.substr(name_at + 6, line.find('"', name_at + 6) - name_at - 6);
        const crc_page::Lookup lookup = crc_page::LookUp(name);
        ASSERT_GE(lookup.model, 0) << name;
        // The catalogue's line holds the fields as the page writes them.
        CrcParams params;
        std::string error;
        crc_page::Fields fields;
        const auto field = [&](const char* key) {
            const std::size_t at = line.find(std::string(key) + "=");
            return line.substr(at + std::strlen(key) + 1, line.find(' ', at) - at - std::strlen(key) - 1);
        };
        fields.width = field("width");
        fields.poly = field("poly");
        fields.init = field("init");
        fields.refin = field("refin");
        fields.refout = field("refout");
        fields.xorout = field("xorout");
        ASSERT_TRUE(crc_page::ReadFields(fields, params, error)) << name << ": " << error;
        EXPECT_EQ(crc_page::ModelOf(params), lookup.model) << name;
        const crc_page::Fields shown = crc_page::FieldsOf(params);
        EXPECT_EQ(shown.poly, fields.poly) << name;
        EXPECT_EQ(shown.init, fields.init) << name;
        EXPECT_EQ(shown.xorout, fields.xorout) << name;
        EXPECT_EQ(shown.check, field("check")) << name;
        EXPECT_EQ(shown.residue, field("residue")) << name;
        ++seen;
    }
    EXPECT_EQ(seen, 113);
}

TEST(CrcPageFields, AnEditedFieldIsCustom) {
    CrcParams params;
    std::string error;
    crc_page::Fields fields = crc_page::FieldsOf(CrcParams{16, 0x8005, 0xFFFF, true, true, 0});
    ASSERT_TRUE(crc_page::ReadFields(fields, params, error));
    EXPECT_EQ(crc_page::ModelOf(params), ModelIndex("CRC-16/MODBUS"));
    fields.init = "0x1234";
    ASSERT_TRUE(crc_page::ReadFields(fields, params, error));
    EXPECT_EQ(crc_page::ModelOf(params), -1);
}

// Each bad field gives the message quobrix crc gives for the same option.
TEST(CrcPageFields, BadFieldsGiveTheCommandLinesMessages) {
    struct Case {
        const char* width;
        const char* poly;
        const char* init;
        const char* refin;
        const char* refout;
        const char* xorout;
    };
    const Case cases[] = {
        {"16", "0x1g021", "0", "false", "false", "0"},  {"99", "0x1021", "0", "false", "false", "0"},
        {"0", "0x1", "0", "false", "false", "0"},        {"sixteen", "0x1021", "0", "false", "false", "0"},
        {"16", "0x1021", "0x10000", "false", "false", "0"}, {"16", "0x1021", "0", "yes", "false", "0"},
        {"16", "0x1021", "0", "true", "no", "0"},       {"8", "0x107", "0", "false", "false", "0"},
        {"16", "0x1021", "0", "false", "false", "0x" "123456789012345678901234567890123"},
        {"16", "", "0", "false", "false", "0"},
    };
    for (const Case& c : cases) {
        crc_page::Fields fields{c.width, c.poly, c.init, c.refin, c.refout, c.xorout, "", ""};
        CrcParams params;
        std::string error;
        EXPECT_FALSE(crc_page::ReadFields(fields, params, error)) << c.width << " " << c.poly;
        const CliOutcome cli = RunInProcess({"crc", "--width", c.width, "--poly", c.poly, "--init", c.init, "--refin",
                                             c.refin, "--refout", c.refout, "--xorout", c.xorout, "--hex", "01"});
        EXPECT_EQ(cli.code, 2);
        EXPECT_EQ(error + "\n", WithoutUsageHint(Joined(ErrLines(cli.err)))) << c.width << " " << c.poly;
    }
}

// ---- The input and the answers -----------------------------------------

struct InputCase {
    crc_page::InputMode mode;
    std::string text;  // UTF-8
};

std::vector<std::string> CliInput(const InputCase& input) {
    switch (input.mode) {
        case crc_page::InputMode::kTextGbk: return {"--text", input.text, "--gbk"};
        case crc_page::InputMode::kTextUtf8: return {"--text", input.text};
        default: return {"--hex", input.text};
    }
}

const InputCase kInputs[] = {
    {crc_page::InputMode::kHex, "01 03 00 00 00 0A"},
    {crc_page::InputMode::kHex, "0x31,0x32 33:34 5"},
    {crc_page::InputMode::kHex, ""},
    {crc_page::InputMode::kTextGbk, "123456789"},
    {crc_page::InputMode::kTextGbk, "固件版本 V1.0"},
    {crc_page::InputMode::kTextUtf8, "固件版本 V1.0"},
    {crc_page::InputMode::kTextUtf8, ""},
};

// For every input and a spread of models (widths 3 to 82, both bit
// orders), the number and both byte orders are what quobrix crc prints.
TEST(CrcPageAnswers, SameAsTheCommandLine) {
    const char* models[] = {"CRC-3/GSM", "CRC-8/SMBUS", "CRC-12/UMTS", "CRC-16/MODBUS", "CRC-16/XMODEM",
                            "CRC-24/OPENPGP", "CRC-32/ISO-HDLC", "CRC-32/MPEG-2", "CRC-64/XZ", "CRC-82/DARC"};
    for (const InputCase& input : kInputs) {
        std::string bytes, error;
        ASSERT_TRUE(crc_page::InputBytes(input.mode, input.text, bytes, error)) << input.text << ": " << error;
        for (const char* model : models) {
            const crc_page::Lookup lookup = crc_page::LookUp(model);
            CrcParams params;
            ASSERT_TRUE(crc_page::ReadFields(crc_page::FieldsOf(CrcCatalogue()[lookup.model].params), params, error));
            const crc_page::Answer answer = crc_page::Compute(params, bytes);
            std::vector<std::string> args = {"crc", model};
            const std::vector<std::string> given = CliInput(input);
            args.insert(args.end(), given.begin(), given.end());
            EXPECT_EQ(answer.number + "\n", RunInProcess(args).out) << model << " " << input.text;
            args.insert(args.end(), {"--bytes", "be"});
            EXPECT_EQ(answer.high_first + "\n", RunInProcess(args).out) << model << " " << input.text;
            args.back() = "le";
            EXPECT_EQ(answer.low_first + "\n", RunInProcess(args).out) << model << " " << input.text;
        }
    }
}

TEST(CrcPageAnswers, ModbusOfTheReadRequest) {
    std::string bytes, error;
    ASSERT_TRUE(crc_page::InputBytes(crc_page::InputMode::kHex, "01 03 00 00 00 0A", bytes, error));
    const crc_page::Answer answer =
        crc_page::Compute(CrcCatalogue()[crc_page::LookUp("MODBUS").model].params, bytes);
    EXPECT_EQ(answer.number, "CDC5");
    EXPECT_EQ(answer.low_first, "C5 CD");
    EXPECT_EQ(answer.high_first, "CD C5");
}

TEST(CrcPageAnswers, BadInputsGiveTheCommandLinesMessages) {
    std::string bytes, error;
    EXPECT_FALSE(crc_page::InputBytes(crc_page::InputMode::kHex, "xyz", bytes, error));
    EXPECT_EQ(error + "\n", Joined(ErrLines(RunInProcess({"crc", "CRC-32/ISO-HDLC", "--hex", "xyz"}).err)));
    // An emoji has no GBK form.
    EXPECT_FALSE(crc_page::InputBytes(crc_page::InputMode::kTextGbk, "a\xF0\x9F\x98\x80", bytes, error));
    EXPECT_EQ(error + "\n",
              Joined(ErrLines(RunInProcess({"crc", "CRC-32/ISO-HDLC", "--text", "a\xF0\x9F\x98\x80", "--gbk"}).err)));
}

// 全部模型: every model's CRC of "123456789" is its published check value,
// and of other inputs what quobrix crc prints for each model.
TEST(CrcPageAllModels, CheckValuesAndTheCommandLine) {
    const std::vector<crc_page::ModelRow> rows = crc_page::AllModels("123456789");
    ASSERT_EQ(rows.size(), 113u);
    std::ifstream models(QUOBRIX_CRC_CATALOGUE_DIR "/models.txt");
    std::string line;
    while (std::getline(models, line)) {
        const std::size_t name_at = line.find("name=\""), check_at = line.find("check=0x");
        if (name_at == std::string::npos) continue;
        const std::string name = line.substr(name_at + 6, line.find('"', name_at + 6) - name_at - 6);
        std::string check = line.substr(check_at + 8, line.find(' ', check_at) - check_at - 8);
        for (char& c : check) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const crc_page::ModelRow& row = rows[static_cast<std::size_t>(ModelIndex(name))];
        EXPECT_EQ(row.name, name);
        EXPECT_EQ(row.crc, check) << name;
    }
    std::mt19937 random(22);
    const std::vector<unsigned char> data = RandomBytes(random, 1000);
    std::string hex;
    char digits[4];
    for (const unsigned char byte : data) {
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        hex += digits;
    }
    for (const crc_page::ModelRow& row : crc_page::AllModels(std::string(data.begin(), data.end()))) {
        EXPECT_EQ(row.crc + "\n", RunInProcess({"crc", row.name, "--hex", hex}).out) << row.name;
    }
}

// A CRC's hex digits as a number of 84 bits (21 digits, the widest CRC's
// and more), zeros in front: text of one length compares as the number.
std::string Padded(const std::string& crc) { return std::string(21 - crc.size(), '0') + crc; }

TEST(CrcPageAllModels, SortsByEachColumnBothWays) {
    std::vector<crc_page::ModelRow> rows = crc_page::AllModels("123456789");
    crc_page::SortRows(rows, crc_page::Column::kCrc, true);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_LE(Padded(rows[i - 1].crc), Padded(rows[i].crc)) << rows[i - 1].crc << " " << rows[i].crc;
    }
    crc_page::SortRows(rows, crc_page::Column::kCrc, false);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_GE(Padded(rows[i - 1].crc), Padded(rows[i].crc)) << rows[i - 1].crc << " " << rows[i].crc;
    }
    crc_page::SortRows(rows, crc_page::Column::kName, false);
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].name, rows[i].name);
    crc_page::SortRows(rows, crc_page::Column::kWidth, true);
    // Ties keep the catalogue's order: by width ascending is the list itself.
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].index, i);
}

// CRCs of different widths sort by value: a narrow CRC's digit is not less
// than a wide CRC's zeros.
TEST(CrcPageAllModels, CrcsOfDifferentWidthsSortByValue) {
    const char* const crcs[] = {"B", "00", "1F", "0A", "100", "0", "FF", "0000000000000000000001"};
    std::vector<crc_page::ModelRow> rows;
    for (const char* crc : crcs) rows.push_back({rows.size(), "m", 8, crc});
    crc_page::SortRows(rows, crc_page::Column::kCrc, true);
    std::vector<std::string> sorted;
    for (const crc_page::ModelRow& row : rows) sorted.push_back(row.crc);
    // Equal values keep the list's order: "00" came before "0".
    const std::vector<std::string> expected = {"00", "0", "0000000000000000000001", "0A", "B", "1F", "FF", "100"};
    EXPECT_EQ(sorted, expected);
}

TEST(CrcPageExport, CSourceIsTheCommandLines) {
    for (const char* model : {"CRC-16/MODBUS", "CRC-82/DARC"}) {
        const int index = crc_page::LookUp(model).model;
        EXPECT_EQ(crc_page::CSource(CrcCatalogue()[index].params, index),
                  RunInProcess({"crc", model, "--emit", "c"}).out);
    }
    const CrcParams own{16, 0x1234, 0, false, false, 0};
    EXPECT_EQ(crc_page::CSource(own, -1),
              RunInProcess({"crc", "--width", "16", "--poly", "0x1234", "--emit", "c"}).out);
}

// ---- Files -------------------------------------------------------------

class CrcPageFile : public ::testing::Test {
protected:
    void SetUp() override {
        // One file a test: ctest runs the tests side by side, and each one's
        // TearDown would take away another's file.
        path_ = ::testing::TempDir() + "workbench_pages_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_固件.bin";
        std::mt19937 random(7);
        // Blocks of the reader and a few bytes beyond.
        const std::vector<unsigned char> data = RandomBytes(random, (std::size_t{1} << 20) + 12345);
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                     static_cast<std::streamsize>(data.size()));
    }
    void TearDown() override { std::remove(path_.c_str()); }
    std::string path_;
};

TEST_F(CrcPageFile, SameAsTheCommandLineAndProgressReachesTheSize) {
    for (const char* model : {"CRC-32/ISO-HDLC", "CRC-16/MODBUS", "CRC-64/XZ"}) {
        const CrcParams params = CrcCatalogue()[crc_page::LookUp(model).model].params;
        Uint128 crc;
        std::string error;
        std::uint64_t last = 0;
        int calls = 0;
        const auto progress = [&](std::uint64_t done) {
            EXPECT_GT(done, last);
            last = done;
            ++calls;
            return true;
        };
        ASSERT_EQ(crc_page::FileCrc(params, path_, progress, crc, error), crc_page::FileOutcome::kDone) << error;
        EXPECT_EQ(crc_page::AnswerOf(crc, params.width).number + "  " + path_ + "\n",
                  RunInProcessWithFiles({"crc", model, path_}).out);
        EXPECT_GE(calls, 4);
        EXPECT_LE(last, (std::uint64_t{1} << 20) + 12345);
    }
}

// 全部模型 of a file: each model's line of quobrix crc MODEL FILE.
TEST_F(CrcPageFile, AllModelsOfAFileAreTheCommandLines) {
    std::vector<crc_page::ModelRow> rows;
    std::string error;
    ASSERT_EQ(crc_page::FileAllModels(path_, [](std::uint64_t) { return true; }, rows, error),
              crc_page::FileOutcome::kDone)
        << error;
    ASSERT_EQ(rows.size(), 113u);
    for (const crc_page::ModelRow& row : rows) {
        EXPECT_EQ(row.crc + "  " + path_ + "\n", RunInProcessWithFiles({"crc", row.name, path_}).out) << row.name;
    }
}

// A file cut short or grown while it is read (after its first block) gives
// no CRC and no list, but a line that says it changed, for single CRC and
// 全部模型 alike; the file as it is afterwards then reads as usual.
TEST_F(CrcPageFile, AFileChangedDuringTheReadGivesNoResult) {
    const std::uint64_t size = (std::uint64_t{1} << 20) + 12345;
    struct Change {
        const char* what;
        std::function<void(const std::string& path)> make;
        std::uint64_t after;
    };
    const Change changes[] = {
        {"cut short", [](const std::string& path) { std::filesystem::resize_file(path, 300000); }, 300000},
        {"grown",
         [](const std::string& path) { std::ofstream(path, std::ios::binary | std::ios::app).write("0123456789", 10); },
         size + 10},
    };
    for (const Change& change : changes) {
        for (const bool all_models : {false, true}) {
            SetUp();
            bool changed = false;
            const auto change_once = [&](std::uint64_t) {
                if (!changed) change.make(path_);
                changed = true;
                return true;
            };
            Uint128 crc = 0;
            std::vector<crc_page::ModelRow> rows;
            std::string error;
            const crc_page::FileOutcome outcome =
                all_models ? crc_page::FileAllModels(path_, change_once, rows, error)
                           : crc_page::FileCrc(CrcCatalogue()[0].params, path_, change_once, crc, error);
            EXPECT_EQ(outcome, crc_page::FileOutcome::kFailed) << change.what << " " << all_models;
            EXPECT_TRUE(rows.empty());
            EXPECT_NE(error.find("changed during the read (" + std::to_string(size) + " bytes when it began, " +
                                 std::to_string(change.after) + " read)"),
                      std::string::npos)
                << error;
            EXPECT_NE(error.find(path_), std::string::npos) << error;
            error.clear();
            EXPECT_EQ(crc_page::FileCrc(CrcCatalogue()[0].params, path_, [](std::uint64_t) { return true; }, crc, error),
                      crc_page::FileOutcome::kDone)
                << error;
        }
    }
}

TEST_F(CrcPageFile, CancelStopsTheRead) {
    Uint128 crc;
    std::string error;
    std::uint64_t seen = 0;
    const auto stop_at_once = [&](std::uint64_t done) {
        seen = done;
        return false;
    };
    EXPECT_EQ(crc_page::FileCrc(CrcCatalogue()[0].params, path_, stop_at_once, crc, error),
              crc_page::FileOutcome::kCancelled);
    EXPECT_LT(seen, (std::uint64_t{1} << 20));
}

TEST_F(CrcPageFile, AReadErrorNamesTheFileAndTheReason) {
    const std::string missing = path_ + ".missing";
    Uint128 crc;
    std::string error;
    EXPECT_EQ(crc_page::FileCrc(CrcCatalogue()[0].params, missing, [](std::uint64_t) { return true; }, crc, error),
              crc_page::FileOutcome::kFailed);
    EXPECT_EQ(error + "\n", Joined(ErrLines(RunInProcessWithFiles({"crc", "CRC-32/ISO-HDLC", missing}).err)));
    EXPECT_NE(error.find("_固件.bin.missing"), std::string::npos) << error;
}

// ---- 校验识别 ------------------------------------------------------------

struct FindCase {
    std::vector<std::string> frames;
    const char* max_skip;
    RecoveryMode recovery;
};

// The command line's word for each of the page's three recovery states; the
// default takes none.
static std::vector<std::string> RecoveryArgs(RecoveryMode mode) {
    if (mode == RecoveryMode::kAlways) return {"--search"};
    if (mode == RecoveryMode::kNever) return {"--no-search"};
    return {};
}

const FindCase kFindCases[] = {
    // README's Modbus RTU frames.
    {{"01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"}, "4", RecoveryMode::kNever},
    {{"01 03 00 00 00 0A C5 CD", "11 03 00 6B 00 03 76 87"}, "4", RecoveryMode::kNever},
    // One frame: any check fits by chance.
    {{"01 03 00 00 00 0A C5 CD"}, "4", RecoveryMode::kNever},
    // Nothing fits, with and without recovery.
    {{"01 02 03 04 05", "11 12 13 14 15 16"}, "0", RecoveryMode::kNever},
    {{"01 02 03 04 05", "11 12 13 14 15 16"}, "1", RecoveryMode::kAlways},
    // A head and a tail around a sum.
    {{"AA 01 02 03 06 55", "AA 10 20 30 60 55", "AA 05 05 05 0F 55", "AA 11 22 33 66 55"}, "2", RecoveryMode::kNever},
    // CRC-32 with the bytes little end first, and a frame that is blank.
    {{"31 32 33 34 35 36 37 38 39 26 39 F4 CB", "", "61 62 63 C2 41 24 35"}, "4", RecoveryMode::kAlways},
    // The command's default: no recovery where a named check holds, a quick
    // one where none does (an uncatalogued CRC-16, poly 0x2F15, init 0, big
    // end first), and the same frames never recovered and always.
    {{"01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"}, "4", RecoveryMode::kAuto},
    {{"10 20 30 40 7B 52", "05 06 07 08 09 0A 86 4C", "31 32 33 34 35 36 37 38 39 A2 D1", "A5 5A 11 C1 CA"},
     "0", RecoveryMode::kAuto},
    {{"10 20 30 40 7B 52", "05 06 07 08 09 0A 86 4C", "31 32 33 34 35 36 37 38 39 A2 D1", "A5 5A 11 C1 CA"},
     "0", RecoveryMode::kNever},
    {{"10 20 30 40 7B 52", "05 06 07 08 09 0A 86 4C", "31 32 33 34 35 36 37 38 39 A2 D1", "A5 5A 11 C1 CA"},
     "0", RecoveryMode::kAlways},
};

TEST(FindPage, RowsAndNotesAreTheCommandLines) {
    for (const FindCase& c : kFindCases) {
        std::string text;
        std::vector<std::string> args = {"find", "--max-skip", c.max_skip};
        for (const std::string& word : RecoveryArgs(c.recovery)) args.push_back(word);
        for (const std::string& frame : c.frames) {
            text += frame + "\r\n";
            if (!frame.empty()) args.push_back(frame);
        }
        const find_page::Answer answer = find_page::Find(text, c.max_skip, c.recovery);
        ASSERT_EQ(answer.error, "") << text;
        const CliOutcome cli = RunInProcess(args);
        std::string lines;
        for (const find_page::Row& row : answer.rows) {
            lines += row.name + (row.match.recovered ? "  " : " ") + row.order + " head=" + row.head +
                     " tail=" + row.tail + (row.match.weak ? "  (weak)" : "") + "\n";
        }
        EXPECT_EQ(lines, cli.out) << text;
        EXPECT_EQ(Joined(answer.notes), Joined(ErrLines(cli.err))) << text;
    }
}

TEST(FindPage, ReadmesFramesNameModbusLowByteFirst) {
    const find_page::Answer answer =
        find_page::Find("01 03 00 00 00 0A C5 CD\n\n01 06 00 01 00 03 98 0B\n11 03 00 6B 00 03 76 87\n",
                        "4", RecoveryMode::kNever);
    ASSERT_FALSE(answer.rows.empty());
    EXPECT_EQ(answer.rows[0].name, "CRC-16/MODBUS");
    EXPECT_EQ(answer.rows[0].order, "le");
    EXPECT_EQ(answer.rows[0].head, "0");
    EXPECT_EQ(answer.rows[0].tail, "0");
    EXPECT_EQ(answer.rows[0].params, "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000");
    EXPECT_EQ(answer.frames.size(), 3u);
}

TEST(FindPage, BadLinesAndMaxSkipGiveTheCommandLinesMessages) {
    find_page::Answer answer = find_page::Find("01 02 03\n\n01 0G 03\n", "4", RecoveryMode::kNever);
    EXPECT_EQ(answer.error + "\n", Joined(ErrLines(RunInProcessWithStdin({"find"}, "01 02 03\n\n01 0G 03\n").err)));
    EXPECT_TRUE(answer.rows.empty());
    answer = find_page::Find("01 02 03", "65", RecoveryMode::kNever);
    EXPECT_EQ(answer.error + "\n",
              WithoutUsageHint(Joined(ErrLines(RunInProcess({"find", "--max-skip", "65", "01 02 03"}).err))));
    EXPECT_NE(find_page::Find(" \n\t\n", "4", RecoveryMode::kNever).error, "");
}

// A window's search may be stopped before any recovery; one without
// recovery is never asked. Frames long enough to make recovery slow bring
// the command line's note first, and a stop right after it ends the search.
TEST(FindPage, StoppedSearchAndTheNoteBeforeASlowRecovery) {
    find_page::Hooks stop;
    int asked = 0;
    stop.cancelled = [&asked] {
        ++asked;
        return true;
    };
    const std::string unknown = "01 02 03 04 05\n11 12 13 14 15 16\n21 22 23 24 25 26 27\n";
    EXPECT_TRUE(find_page::Find(unknown, "1", RecoveryMode::kAlways, stop).cancelled);
    EXPECT_GT(asked, 0);
    asked = 0;
    const find_page::Answer plain = find_page::Find(unknown, "1", RecoveryMode::kNever, stop);
    EXPECT_FALSE(plain.cancelled);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(plain.notes.empty());

    // Frames long enough for this processor's estimate of the recovery to
    // pass a second, by the library's own estimate.
    std::mt19937 random(3);
    std::vector<Bytes> frames;
    for (std::size_t size = 4096;; size *= 2) {
        frames.clear();
        for (int frame = 0; frame < 3; ++frame) frames.push_back(RandomBytes(random, size));
        if (EstimatedRecoverySeconds(frames, 0) > 2) break;
        ASSERT_LT(size, std::size_t{1} << 24);
    }
    std::string text;
    for (const Bytes& frame : frames) {
        char digits[4];
        for (const unsigned char byte : frame) {
            std::snprintf(digits, sizeof digits, "%02X ", byte);
            text += digits;
        }
        text += "\n";
    }
    std::string note;
    find_page::Hooks noted;
    noted.before_slow_recovery = [&note](const std::string& line) { note = line; };
    noted.cancelled = [&note] { return !note.empty(); };
    const find_page::Answer answer = find_page::Find(text, "0", RecoveryMode::kAlways, noted);
    EXPECT_TRUE(answer.cancelled);
    ASSERT_FALSE(note.empty());
    // The command line's own line, whose seconds are this processor's estimate.
    EXPECT_EQ(note.find("recovering an unknown CRC from frames this long takes about "), 0u) << note;
    EXPECT_NE(note.find(" s (fewer or shorter frames, a smaller --max-skip or --no-search are quicker)"),
              std::string::npos)
        << note;
}

// A row opens the frame page filled so that verifying the first frame holds.
TEST(FindPage, ARowsFormVerifiesTheFirstFrame) {
    for (const FindCase& c : kFindCases) {
        std::string text;
        for (const std::string& frame : c.frames) text += frame + "\n";
        const find_page::Answer answer = find_page::Find(text, c.max_skip, c.recovery);
        for (const find_page::Row& row : answer.rows) {
            const frame_page::Form form = find_page::FormOf(row, answer.frames.front());
            const frame_page::Answer verdict = frame_page::Verify(form);
            EXPECT_TRUE(verdict.ok) << row.name << " " << row.order << " " << verdict.line << " "
                                    << Joined(verdict.notes);
            EXPECT_EQ(verdict.line, "ok");
        }
    }
}

// ---- 帧 -----------------------------------------------------------------

TEST(FramePage, BuildAndVerifyAreTheCommandLines) {
    struct Case {
        frame_page::Form form;
        std::vector<std::string> args;  // after "frame"
    };
    using frame_page::Order;
    const Case cases[] = {
        {{"CRC-16/MODBUS", Order::kLittleEndian, "", "", "01 03 00 00 00 0A"},
         {"CRC-16/MODBUS", "--order", "le", "01 03 00 00 00 0A"}},
        {{"crc-16/modbus", Order::kBigEndian, "AA", "55", "01 02"},
         {"crc-16/modbus", "--order", "be", "--head", "AA", "--tail", "55", "01 02"}},
        {{"SUM-8", Order::kBigEndian, "", "", "31 32 33"}, {"SUM-8", "--order", "be", "31 32 33"}},
        {{"CRC-16/CCITT-FALSE", Order::kBigEndian, "", "", "31"}, {"CRC-16/CCITT-FALSE", "--order", "be", "31"}},
        {{"CCITT", Order::kBigEndian, "", "", "31"}, {"CCITT", "--order", "be", "31"}},
        {{"width=8 poly=0x07 init=0x00 refin=false refout=false xorout=0x00", Order::kBigEndian, "", "", "01 02"},
         {"width=8 poly=0x07 init=0x00 refin=false refout=false xorout=0x00", "--order", "be", "01 02"}},
        {{"CRC-32/ISO-HDLC", Order::kLittleEndian, "", "", "zz"}, {"CRC-32/ISO-HDLC", "--order", "le", "zz"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"frame"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const frame_page::Answer built = frame_page::Build(c.form);
        const CliOutcome cli = RunInProcess(args);
        EXPECT_EQ(built.ok, cli.code == 0) << c.form.check;
        EXPECT_EQ(built.line.empty() ? "" : built.line + "\n", cli.out) << c.form.check;
        EXPECT_EQ(Joined(built.notes), Joined(ErrLines(cli.err))) << c.form.check;
        if (!built.ok) continue;
        // The built frame verifies; a changed byte does not, as the command line says.
        frame_page::Form frame = c.form;
        frame.data = built.line;
        EXPECT_TRUE(frame_page::Verify(frame).ok) << c.form.check;
        frame.data[frame.data.size() - 1] = frame.data.back() == '0' ? '1' : '0';
        const frame_page::Answer verdict = frame_page::Verify(frame);
        EXPECT_FALSE(verdict.ok);
        std::vector<std::string> verify = args;
        verify.back() = frame.data;
        verify.insert(verify.begin() + 2, "--verify");
        EXPECT_EQ(verdict.line + "\n", RunInProcess(verify).out) << c.form.check;
    }
}

TEST(FramePage, OffersEveryModelThenTheSums) {
    const std::vector<std::string> names = frame_page::CheckNames();
    const std::vector<std::string> models = crc_page::ModelNames();
    ASSERT_GT(names.size(), models.size());
    EXPECT_TRUE(std::equal(models.begin(), models.end(), names.begin()));
    EXPECT_EQ(names[models.size()], "SUM-8");
}

// ---- 数值 ----------------------------------------------------------------

// quobrix num's table, its columns split at the blanks.
std::vector<std::vector<std::string>> CliTable(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> row;
        std::string word;
        while (words >> word) row.push_back(word);
        rows.push_back(row);
    }
    return rows;
}

TEST(NumberPage, TableIsTheCommandLines) {
    for (const char* hex : {"41 20 00 00", "FF FE", "80 00", "3F F0 00 00 00 00 00 00", "7F C0 00 01",
                            "00 00 80 7F", "01 02 03 04 05 06 07 08"}) {
        const number_page::Table table = number_page::NumbersOf(hex);
        ASSERT_EQ(table.error, "") << hex;
        std::vector<std::vector<std::string>> expected = CliTable(RunInProcess({"num", hex}).out);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(table.header, expected.front()) << hex;
        expected.erase(expected.begin());
        EXPECT_EQ(table.rows, expected) << hex;
    }
}

TEST(NumberPage, FloatTenInEveryOrder) {
    const number_page::Table table = number_page::NumbersOf("41 20 00 00");
    ASSERT_EQ(table.header.back(), "float32");
    ASSERT_FALSE(table.rows.empty());
    EXPECT_EQ(table.rows[0][0], "ABCD");
    EXPECT_EQ(table.rows[0].back(), "10");
    std::vector<std::string> orders;
    for (const auto& row : table.rows) orders.push_back(row[0]);
    // Modbus Poll's four: big-endian, little-endian, and the two word and byte swaps.
    EXPECT_EQ(orders, (std::vector<std::string>{"ABCD", "DCBA", "BADC", "CDAB"}));
    EXPECT_EQ(table.rows[3].back(), "2.3362e-41") << "CDAB of 41 20 00 00 is 00 00 41 20";
}

TEST(NumberPage, BadBytesGiveTheCommandLinesMessages) {
    for (const char* hex : {"41 20 00", "", "4G"}) {
        const number_page::Table table = number_page::NumbersOf(hex);
        EXPECT_TRUE(table.rows.empty()) << hex;
        EXPECT_EQ(table.error + "\n", Joined(ErrLines(RunInProcess({"num", hex}).err))) << hex;
    }
}

TEST(NumberPage, ValuesBackToBytesInEveryOrder) {
    struct Case {
        const char* type;
        const char* value;
    };
    for (const Case c : {Case{"float32", "10"}, Case{"float64", "-0.1"}, Case{"int16", "-2"},
                         Case{"uint32", "0xDEADBEEF"}, Case{"int64", "-9223372036854775808"},
                         Case{"uint16", "70000"}, Case{"float32", "ten"}, Case{"int32", "12abc"}}) {
        const number_page::Table table = number_page::BytesOf(c.type, c.value);
        const int size = c.type[std::strlen(c.type) - 2] == '1' ? 2 : c.type[std::strlen(c.type) - 1] == '2' ? 4 : 8;
        const std::string order = std::string("ABCDEFGH").substr(0, static_cast<std::size_t>(size));
        const CliOutcome first = RunInProcess({"num", "--type", c.type, "--order", order, "--from", c.value});
        if (first.code != 0) {
            EXPECT_TRUE(table.rows.empty()) << c.type << " " << c.value;
            EXPECT_EQ(table.error + "\n", Joined(ErrLines(first.err))) << c.type << " " << c.value;
            continue;
        }
        ASSERT_EQ(table.error, "") << c.type << " " << c.value;
        ASSERT_FALSE(table.rows.empty());
        for (const auto& row : table.rows) {
            const CliOutcome cli = RunInProcess({"num", "--type", c.type, "--order", row[0], "--from", c.value});
            EXPECT_EQ(row[1] + "\n", cli.out) << c.type << " " << c.value << " " << row[0];
        }
    }
}

// ---- Settings ----------------------------------------------------------

TEST(WorkbenchSettings, WrittenSettingsReadBack) {
    settings::Settings written;
    written.page = 3;
    written.model = "CRC-32/ISO-HDLC";
    written.input_mode = 2;
    written.placement = {true, -20, 30, 800, 600};
    const settings::Settings read = settings::Parse(settings::Format(written));
    EXPECT_EQ(read.page, 3);
    EXPECT_EQ(read.model, "CRC-32/ISO-HDLC");
    EXPECT_EQ(read.input_mode, 2);
    EXPECT_TRUE(read.placement.known);
    EXPECT_EQ(read.placement.x, -20);
    EXPECT_EQ(read.placement.height, 600);
}

TEST(WorkbenchSettings, DamageGivesTheDefaultsOfWhatItTouches) {
    const settings::Settings defaults;
    const char* damaged[] = {
        "",
        "\xFF\xFE\x00garbage\x01\x02",
        "[workbench]\npage=11\ninput=-1\nmodel=\nx=1\ny=2\nwidth=0\nheight=10\n",
        "[other]\npage=2\n",
        "[workbench]\npage=2x\nx=99999999999999\ny=1\nwidth=1\nheight=1\n",
        "[workbench]\nmodel=\xE5\x9B\xBA\n",
    };
    for (const char* text : damaged) {
        const settings::Settings read = settings::Parse(text);
        EXPECT_EQ(read.page, defaults.page) << text;
        EXPECT_EQ(read.input_mode, defaults.input_mode) << text;
        EXPECT_EQ(read.model, defaults.model) << text;
        EXPECT_FALSE(read.placement.known) << text;
    }
    // What is sound is kept beside what is not.
    const settings::Settings partly = settings::Parse("; note\r\n[workbench]\r\npage=1\r\ninput=7\r\n");
    EXPECT_EQ(partly.page, 1);
    EXPECT_EQ(partly.input_mode, defaults.input_mode);
}

// The 串口助手 page's fields: what was written is read back; a value out of
// its list or not of its kind gives that field's default and leaves the rest.
TEST(WorkbenchSettings, SerialFieldsReadBackAndDamageTouchesOnlyItself) {
    settings::Settings written;
    settings::SerialSettings& s = written.serial;
    s.mode = 2;
    s.port = "/dev/ttyUSB0";
    s.baud = "921600";
    s.data_bits = 3;
    s.parity = 4;
    s.stop_bits = 2;
    s.flow = 2;
    s.host = "plc.example:1502";
    s.listen = "65535";
    s.gap = "";
    s.period = "5";
    s.append_check = true;
    s.model = "CRC-8/MAXIM-DOW";
    s.little_endian = false;
    s.hex = false;
    s.utf8 = true;
    const settings::SerialSettings read = settings::Parse(settings::Format(written)).serial;
    EXPECT_EQ(read.mode, 2);
    EXPECT_EQ(read.port, "/dev/ttyUSB0");
    EXPECT_EQ(read.baud, "921600");
    EXPECT_EQ(read.data_bits, 3);
    EXPECT_EQ(read.parity, 4);
    EXPECT_EQ(read.stop_bits, 2);
    EXPECT_EQ(read.flow, 2);
    EXPECT_EQ(read.host, "plc.example:1502");
    EXPECT_EQ(read.listen, "65535");
    EXPECT_EQ(read.gap, "");
    EXPECT_EQ(read.period, "5");
    EXPECT_TRUE(read.append_check);
    EXPECT_EQ(read.model, "CRC-8/MAXIM-DOW");
    EXPECT_FALSE(read.little_endian);
    EXPECT_FALSE(read.hex);
    EXPECT_TRUE(read.utf8);

    // The page's lists are as long as the settings say.
    EXPECT_EQ(serial_page::DataBitsChoices().size(), static_cast<size_t>(settings::kDataBitsChoices));
    EXPECT_EQ(serial_page::ParityChoices().size(), static_cast<size_t>(settings::kParityChoices));
    EXPECT_EQ(serial_page::StopBitsChoices().size(), static_cast<size_t>(settings::kStopBitsChoices));
    EXPECT_EQ(serial_page::FlowChoices().size(), static_cast<size_t>(settings::kFlowChoices));

    const settings::SerialSettings defaults;
    const settings::SerialSettings damaged = settings::Parse(
        "[workbench]\r\nserial.mode=3\r\nserial.parity=-1\r\nserial.flow=1\r\nserial.baud=96OO\r\n"
        "serial.host=\xE4\xB8\xBB\xE6\x9C\xBA:502\r\nserial.listen=\r\nserial.append_check=2\r\n"
        "serial.period=1234567890\r\nserial.port=COM3\r\n[other]\r\nserial.gap=99\r\n").serial;
    EXPECT_EQ(damaged.mode, defaults.mode);
    EXPECT_EQ(damaged.parity, defaults.parity);
    EXPECT_EQ(damaged.flow, 1);
    EXPECT_EQ(damaged.baud, defaults.baud);
    EXPECT_EQ(damaged.host, defaults.host);
    EXPECT_EQ(damaged.listen, defaults.listen);
    EXPECT_EQ(damaged.append_check, defaults.append_check);
    EXPECT_EQ(damaged.period, defaults.period);
    EXPECT_EQ(damaged.port, "COM3");
    EXPECT_EQ(damaged.gap, defaults.gap) << "a key of another section";

    // A typed value with a line break in it is not written: it would start a
    // line of its own, and the file would say what nobody chose.
    settings::Settings pasted;
    pasted.serial.host = "a\r\npage=7";
    pasted.serial.port = "COM1\n[x]";
    const std::string text = settings::Format(pasted);
    EXPECT_EQ(text.find("page=7"), std::string::npos) << text;
    EXPECT_EQ(text.find("[x]"), std::string::npos) << text;
    EXPECT_EQ(settings::Parse(text).page, 0);
    EXPECT_EQ(settings::Parse(text).serial.host, defaults.host);
}
