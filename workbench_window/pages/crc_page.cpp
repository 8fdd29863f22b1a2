#include "workbench_window/pages/crc_page.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "cli/crc_text.h"
#include "cli/file_stream.h"
#include "cli/messages.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/check_values.h"
#include "workbench/crc/emit_c.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"

namespace crc_page {

const char kCustomName[] = "自定义";

namespace {

const char* Truth(bool value) { return value ? "true" : "false"; }

int IndexOfName(std::string_view name) {
    const TableView<CrcModel> catalogue = CrcCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

std::string UpperCase(std::string_view text) {
    std::string upper;
    for (const char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The lines of a name that means several CRCs list each, indented, first.
std::vector<int> OfferedModels(const std::string& error) {
    std::vector<int> offered;
    std::size_t start = 0;
    while (start < error.size()) {
        std::size_t end = error.find('\n', start);
        if (end == std::string::npos) end = error.size();
        const std::string line = error.substr(start, end - start);
        if (line.compare(0, 2, "  ") == 0) {
            const std::size_t name_end = line.find(' ', 2);
            const int index = IndexOfName(line.substr(2, name_end == std::string::npos ? std::string::npos : name_end - 2));
            if (index >= 0) offered.push_back(index);
        }
        start = end + 1;
    }
    return offered;
}

// A line of the command line's, as the page shows it: no prefix, no line feed.
std::string WithoutPrefix(std::string line) {
    if (line.compare(0, kPrefix.size(), kPrefix) == 0) line.erase(0, kPrefix.size());
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

}  // namespace

std::vector<std::string> ModelNames() {
    std::vector<std::string> names;
    for (const CrcModel& model : CrcCatalogue()) names.emplace_back(model.name);
    return names;
}

CrcParams ParamsOf(int model) {
    const TableView<CrcModel> catalogue = CrcCatalogue();
    if (model < 0 || static_cast<std::size_t>(model) >= catalogue.size()) return CrcParams();
    return catalogue[static_cast<std::size_t>(model)].params;
}

Fields FieldsOf(const CrcParams& params) {
    Fields fields;
    fields.width = std::to_string(params.width);
    fields.poly = CrcCatalogueNumber(params.poly, params.width);
    fields.init = CrcCatalogueNumber(params.init, params.width);
    fields.refin = Truth(params.refin);
    fields.refout = Truth(params.refout);
    fields.xorout = CrcCatalogueNumber(params.xorout, params.width);
    fields.check = CrcCatalogueNumber(CrcCheckValue(params), params.width);
    fields.residue = CrcCatalogueNumber(CrcResidue(params), params.width);
    return fields;
}

Lookup LookUp(const std::string& typed) {
    Lookup lookup;
    std::string text = typed;
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    if (text.empty()) return lookup;
    ResolvedCrc resolved;
    std::string error;
    if (ResolveCrc(text, resolved, error)) {
        lookup.model = resolved.name.empty() ? ModelOf(resolved.params) : IndexOfName(resolved.name);
        lookup.note = resolved.note;
        if (lookup.model >= 0) return lookup;
    }
    // A name that means several CRCs: the command line lists them.
    lookup.choices = OfferedModels(error);
    if (!lookup.choices.empty()) {
        lookup.note = error;
        return lookup;
    }
    const TableView<CrcModel> catalogue = CrcCatalogue();
    Uint128 poly;
    if (ParseCrcHexNumber(text, poly)) {
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            if (catalogue[i].params.poly == poly) {
                lookup.model = static_cast<int>(i);
                return lookup;
            }
        }
    }
    const std::string prefix = UpperCase(text);
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (UpperCase(catalogue[i].name).compare(0, prefix.size(), prefix) == 0) {
            lookup.model = static_cast<int>(i);
            return lookup;
        }
    }
    lookup.note = error;
    return lookup;
}

bool ReadFields(const Fields& fields, CrcParams& params, std::string& error) {
    CrcParamWords words;
    words.width = fields.width;
    words.poly = fields.poly;
    words.init = fields.init;
    words.refin = fields.refin;
    words.refout = fields.refout;
    words.xorout = fields.xorout;
    return ReadCrcParamWords(words, params, error);
}

int ModelOf(const CrcParams& params) {
    const TableView<CrcModel> catalogue = CrcCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].params == params) return static_cast<int>(i);
    }
    return -1;
}

bool InputBytes(InputMode mode, const std::string& text, std::string& bytes, std::string& error) {
    switch (mode) {
        case InputMode::kTextGbk:
            return CrcTextBytes(text, true, bytes, error);
        case InputMode::kTextUtf8:
            return CrcTextBytes(text, false, bytes, error);
        case InputMode::kHex:
            return CrcHexBytes(text, bytes, error);
        case InputMode::kFile:
            break;
    }
    error = "a file is read by FileCrc";
    return false;
}

Answer AnswerOf(Uint128 crc, int width) {
    return {CrcText(crc, width, CrcNotation::Hex), CrcText(crc, width, CrcNotation::BytesHighFirst),
            CrcText(crc, width, CrcNotation::BytesLowFirst)};
}

Answer Compute(const CrcParams& params, const std::string& bytes) {
    const CrcEngine engine(params);
    return AnswerOf(engine.Compute(bytes.data(), bytes.size()), params.width);
}

std::vector<ModelRow> AllModels(const std::string& bytes) {
    std::vector<ModelRow> rows;
    const TableView<CrcModel> catalogue = CrcCatalogue();
    rows.reserve(catalogue.size());
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const CrcModel& model = catalogue[i];
        const CrcEngine engine(model.params);
        rows.push_back({i, std::string(model.name), model.params.width,
                        CrcText(engine.Compute(bytes.data(), bytes.size()), model.params.width, CrcNotation::Hex)});
    }
    return rows;
}

void SortRows(std::vector<ModelRow>& rows, Column column, bool ascending) {
    // A CRC sorts by its value, whatever its width: past its leading zeros,
    // fewer digits are less, and digits of one count compare as text
    // (0-9 before A-F).
    const auto value_before = [](const std::string& a, const std::string& b) {
        const std::size_t a_zeros = std::min(a.find_first_not_of('0'), a.size());
        const std::size_t b_zeros = std::min(b.find_first_not_of('0'), b.size());
        const std::size_t a_digits = a.size() - a_zeros, b_digits = b.size() - b_zeros;
        return a_digits != b_digits ? a_digits < b_digits : a.compare(a_zeros, a_digits, b, b_zeros, b_digits) < 0;
    };
    const auto before = [column, &value_before](const ModelRow& a, const ModelRow& b) {
        switch (column) {
            case Column::kName:
                return a.name < b.name;
            case Column::kWidth:
                return a.width < b.width;
            case Column::kCrc:
                return value_before(a.crc, b.crc);
        }
        return false;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const ModelRow& a, const ModelRow& b) {
        if (before(a, b)) return ascending;
        if (before(b, a)) return !ascending;
        return a.index < b.index;
    });
}

std::string CSource(const CrcParams& params, int model) {
    const TableView<CrcModel> catalogue = CrcCatalogue();
    const std::string_view name =
        model >= 0 && static_cast<std::size_t>(model) < catalogue.size() ? catalogue[model].name : std::string_view();
    return EmitCrcC(params, name);
}

std::uint64_t FileSizeOf(const std::string& path) {
    std::uint64_t size = 0;
    return FileSize(path, size) ? size : 0;
}

namespace {

// The file through `consume`, block by block, with the bytes done so far
// offered to `progress`, which stops the read by returning false; a read
// error in the command line's words. A file that changed during the read
// fails: its CRC would be no version's.
FileOutcome ReadWithProgress(const std::string& path, const ConsumeBlock& consume,
                     const std::function<bool(std::uint64_t done)>& progress, std::string& error) {
    std::uint64_t done = 0;
    const ConsumeBlock counted = [&](const char* bytes, std::size_t size) {
        consume(bytes, size);
        done += size;
    };
    bool stopped = false;
    std::string why;
    if (!StreamUnchangedFile(path, counted, why, [&] { return !progress(done); }, &stopped)) {
        error = WithoutPrefix(CrcFileErrorLine(path, why));
        return FileOutcome::kFailed;
    }
    return stopped ? FileOutcome::kCancelled : FileOutcome::kDone;
}

}  // namespace

FileOutcome FileCrc(const CrcParams& params, const std::string& path,
                    const std::function<bool(std::uint64_t done)>& progress, Uint128& crc, std::string& error) {
    const CrcEngine engine(params);
    Uint128 reg = engine.Start();
    const ConsumeBlock consume = [&](const char* bytes, std::size_t size) { reg = engine.Update(reg, bytes, size); };
    const FileOutcome outcome = ReadWithProgress(path, consume, progress, error);
    if (outcome == FileOutcome::kDone) crc = engine.Finish(reg);
    return outcome;
}

FileOutcome FileAllModels(const std::string& path, const std::function<bool(std::uint64_t done)>& progress,
                          std::vector<ModelRow>& rows, std::string& error) {
    const TableView<CrcModel> catalogue = CrcCatalogue();
    std::vector<std::unique_ptr<CrcEngine>> engines;
    std::vector<Uint128> registers;
    for (const CrcModel& model : catalogue) {
        engines.push_back(std::make_unique<CrcEngine>(model.params));
        registers.push_back(engines.back()->Start());
    }
    const ConsumeBlock consume = [&](const char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < engines.size(); ++i) registers[i] = engines[i]->Update(registers[i], bytes, size);
    };
    const FileOutcome outcome = ReadWithProgress(path, consume, progress, error);
    if (outcome != FileOutcome::kDone) return outcome;
    rows.clear();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const int width = catalogue[i].params.width;
        rows.push_back({i, std::string(catalogue[i].name), width,
                        CrcText(engines[i]->Finish(registers[i]), width, CrcNotation::Hex)});
    }
    return FileOutcome::kDone;
}

}  // namespace crc_page
