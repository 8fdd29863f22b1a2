#include "cli/part_words.h"

#include <algorithm>

#include "cli/messages.h"
#include "i18n/translate.h"
#include "workbench/parts/e_series.h"
#include "workbench/parts/part_value.h"

using i18n::Format;
using i18n::Tr;

bool ReadValueWord(const std::string& what, const std::string& text, double& value, std::string& error) {
    const PartValueRead read = ReadPartValue(text);
    if (read.ok) {
        value = read.value;
        return true;
    }
    const std::string given = EscapeBytes(text);
    if (read.position >= text.size()) {
        error = Format(Tr("%1$s '%2$s' ends where %3$s should follow (a value as 4k7, 4.7k, 4700, 2.2u or 100n)"),
                       {what, given, read.expected});
    } else if (read.out_of_range) {
        // Refused whole: the number reads, its value is no part's.
        error = Format(read.value > 0 ? Tr("%1$s '%2$s' is no value from 1f to 1000T")
                                      : Tr("%1$s '%2$s' is no value above zero"),
                       {what, given});
    } else {
        // The character whole, so a stray UTF-8 letter shows as itself.
        std::size_t length = 1;
        const unsigned char lead = static_cast<unsigned char>(text[read.position]);
        if (lead >= 0xC0) length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        error = Format(Tr("%1$s '%2$s': character %3$s ('%4$s') is not %5$s"),
                       {what, given, std::to_string(read.position + 1),
                        EscapeBytes(text.substr(read.position, length)), read.expected});
    }
    return false;
}

bool ReadSeriesWord(const std::string& option, const std::string& name, const ESeries*& series, std::string& error) {
    series = FindESeries(name);
    if (series != nullptr) return true;
    error = Format(Tr("%1$s '%2$s' is none of E3 E6 E12 E24 E48 E96 E192"), {option, EscapeBytes(name)});
    return false;
}

bool ReadCountWord(const std::string& text, std::size_t& count, std::string& error) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(text) < 1 || std::stoi(text) > 100) {
        error = Format(Tr("--count '%1$s' is no number from 1 to 100"), {EscapeBytes(text)});
        return false;
    }
    count = static_cast<std::size_t>(std::stoi(text));
    return true;
}

std::string PartTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += "  ";
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size(), ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
    }
    return text;
}
