#include "workbench/crc/resolve.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/check_values.h"
#include "workbench/crc/model_text.h"
#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

// How many names an unknown one is shown at most.
constexpr std::size_t kMaxSuggestions = 5;
// Where the check values start in the list of CCITT's meanings.
constexpr std::size_t kNameColumn = 19;

// Upper case, only letters and digits: "crc16 modbus" and "CRC-16/MODBUS" meet.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c))) folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

const CrcModel* FindModel(std::string_view name) {
    for (const CrcModel& model : CrcCatalogue()) {
        if (SameName(model.name, name)) return &model;
    }
    return nullptr;
}

// "CCITT" has named three CRCs in three tools, each with its init and bit order.
bool NamesCcitt(std::string_view name) {
    const std::string folded = Folded(name);
    return folded == "CCITT" || folded == "CRCCCITT" || folded == "CRC16CCITT";
}

std::vector<std::string> CcittChoices(std::string_view name) {
    std::vector<std::string> lines{
        Format(Tr("\"%1$s\" means three different CRCs in different tools; name one of them:"), {std::string(name)})};
    for (const char* choice : {"CRC-16/IBM-3740", "CRC-16/XMODEM", "CRC-16/KERMIT"}) {
        const CrcModel& model = *FindModel(choice);
        std::string line = "  " + std::string(model.name);
        line.resize(kNameColumn, ' ');
        lines.push_back(line + "check " + CrcHexDigits(model.check, model.params.width, true) + "  " +
                        FormatCrcParams(model.params));
    }
    return lines;
}

// Levenshtein's distance: the fewest letters put in, taken out or changed.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The names a mistyped one may have meant, nearest first: a name or former
// name written another way ("crc32" for CRC-32), then the names that hold it
// whole (a part such as "MPEG" or "XZ"), then those a few letters away.
// Also how many more there are.
std::vector<std::string> NearestNames(std::string_view name, std::size_t& more) {
    const std::string wanted = Folded(name);
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const CrcFormerName& former : CrcFormerNames()) {
        if (Folded(former.former) == wanted) ranked.emplace_back(0, std::string(former.current));
    }
    for (const CrcModel& model : CrcCatalogue()) {
        const std::string candidate = Folded(model.name);
        if (candidate == wanted) {
            ranked.emplace_back(0, std::string(model.name));
        } else if (wanted.size() >= 2 && candidate.find(wanted) != std::string::npos) {
            ranked.emplace_back(1, std::string(model.name));
        } else {
            // The distance is at least the difference in length: only names
            // of about the same length are worth measuring.
            const std::size_t limit = std::max<std::size_t>(2, candidate.size() / 4);
            const std::size_t longer = std::max(wanted.size(), candidate.size());
            if (longer - std::min(wanted.size(), candidate.size()) > limit) continue;
            const std::size_t distance = EditDistance(wanted, candidate);
            if (distance <= limit) {
                ranked.emplace_back(1 + distance, std::string(model.name));
            }
        }
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const auto& entry : ranked) {
        if (std::find(names.begin(), names.end(), entry.second) == names.end()) names.push_back(entry.second);
    }
    more = names.size() > kMaxSuggestions ? names.size() - kMaxSuggestions : 0;
    names.resize(names.size() - more);
    return names;
}

std::vector<std::string> UnknownName(std::string_view name) {
    std::vector<std::string> lines{Format(Tr("no CRC is called \"%1$s\""), {std::string(name)})};
    std::size_t more = 0;
    const std::vector<std::string> nearest = NearestNames(name, more);
    if (!nearest.empty()) {
        std::string names;
        for (const std::string& candidate : nearest) names += (names.empty() ? "" : " ") + candidate;
        lines.push_back(more == 0 ? Format(Tr("the nearest names: %1$s"), {names})
                                  : Format(TrN("the nearest names: %1$s (and %2$s more)",
                                               "the nearest names: %1$s (and %2$s more)", more),
                                           {names, std::to_string(more)}));
    }
    lines.push_back(Format(Tr("\"quobrix crc --list\" lists all %1$s models; parameters may be given as a line of "
                              "width= poly= init= refin= refout= xorout="),
                           {std::to_string(CrcCatalogue().size())}));
    return lines;
}

bool ResolveLine(std::string_view line, ResolvedCrc& resolved, std::string& error) {
    CrcModelLine parsed;
    std::string why;
    if (!ParseCrcModelLine(line, parsed, why)) {
        error = Format(Tr("not a CRC parameter line: %1$s"), {why});
        return false;
    }
    if (parsed.check) {
        const Uint128 computed = CrcCheckValue(parsed.params);
        if (computed != *parsed.check) {
            const int width = parsed.params.width;
            error = Format(Tr("check=%1$s does not hold: these parameters give %2$s for \"123456789\""),
                           {CrcCatalogueNumber(*parsed.check, width), CrcCatalogueNumber(computed, width)});
            return false;
        }
    }
    if (parsed.residue) {
        const Uint128 computed = CrcResidue(parsed.params);
        if (computed != *parsed.residue) {
            const int width = parsed.params.width;
            error = Format(Tr("residue=%1$s does not hold: these parameters give %2$s"),
                           {CrcCatalogueNumber(*parsed.residue, width), CrcCatalogueNumber(computed, width)});
            return false;
        }
    }
    // A catalogue's name names its parameters: under another model's name,
    // code emitted or a frame described would pass one CRC off as another.
    if (parsed.name) {
        const CrcModel* named = FindModel(*parsed.name);
        for (const CrcFormerName& former : CrcFormerNames()) {
            if (named == nullptr && SameName(former.former, *parsed.name)) named = FindModel(former.current);
        }
        if (named != nullptr && named->params != parsed.params) {
            error = Format(Tr("name=\"%1$s\" is the catalogue's %2$s, whose parameters differ: %3$s"),
                           {*parsed.name, std::string(named->name), FormatCrcParams(named->params)});
            return false;
        }
    }
    resolved = ResolvedCrc{parsed.params, parsed.name.value_or(""), ""};
    return true;
}

}  // namespace

bool ResolveCrc(std::string_view argument, ResolvedCrc& resolved, std::string& error) {
    error.clear();
    if (argument.find('=') != std::string_view::npos) return ResolveLine(argument, resolved, error);
    if (const CrcModel* model = FindModel(argument)) {
        resolved = ResolvedCrc{model->params, std::string(model->name), ""};
        return true;
    }
    for (const CrcFormerName& former : CrcFormerNames()) {
        if (!SameName(former.former, argument)) continue;
        const CrcModel& model = *FindModel(former.current);
        resolved = ResolvedCrc{model.params, std::string(model.name),
                               Format(Tr("%1$s is the former name of %2$s"),
                                      {std::string(former.former), std::string(model.name)})};
        return true;
    }
    const std::vector<std::string> lines = NamesCcitt(argument) ? CcittChoices(argument) : UnknownName(argument);
    for (const std::string& line : lines) error += (error.empty() ? "" : "\n") + line;
    return false;
}
