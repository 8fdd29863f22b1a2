#include "workbench/crc/model_text.h"

#include <cstddef>
#include <string>
#include <vector>

#include "core/decode.h"
#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;

constexpr int kBitsPerHexDigit = 4;
constexpr int kMaxHexDigits = 128 / kBitsPerHexDigit;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The fields of a line, in the order written: `key=value`, a value in double
// quotes may hold blanks.
struct Field {
    std::string key;
    std::string value;
};

bool SplitFields(std::string_view line, std::vector<Field>& fields, std::string& error) {
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return true;
        const std::size_t key_start = i;
        while (i < line.size() && line[i] != '=' && !IsBlank(line[i])) ++i;
        if (i == line.size() || line[i] != '=' || i == key_start) {
            error = Format(Tr("\"%1$s\" is not a field (want key=value)"),
                           {std::string(line.substr(key_start, i - key_start))});
            return false;
        }
        Field field{std::string(line.substr(key_start, i - key_start)), {}};
        ++i;
        if (i < line.size() && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                error = Format(Tr("%1$s: the quote is not closed"), {field.key});
                return false;
            }
            field.value = std::string(line.substr(i + 1, close - i - 1));
            i = close + 1;
            if (i < line.size() && !IsBlank(line[i])) {
                error = Format(Tr("%1$s: a blank must follow the closing quote"), {field.key});
                return false;
            }
        } else {
            const std::size_t value_start = i;
            while (i < line.size() && !IsBlank(line[i])) ++i;
            field.value = std::string(line.substr(value_start, i - value_start));
        }
        fields.push_back(std::move(field));
    }
}

bool ParseBool(const std::string& text, bool& value) {
    if (text == "true") return value = true, true;
    if (text == "false") return value = false, true;
    return false;
}

}  // namespace

bool ParseCrcHexNumber(std::string_view text, Uint128& value) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    while (text.size() > 1 && text[0] == '0') text.remove_prefix(1);
    if (text.empty() || text.size() > kMaxHexDigits) return false;
    value = Uint128{};
    for (const char c : text) {
        if (!IsHexDigit(c)) return false;
        value = value << kBitsPerHexDigit | Uint128{HexDigitValue(c)};
    }
    return true;
}

bool IsCrcHexText(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty()) return false;
    for (const char c : text) {
        if (!IsHexDigit(c)) return false;
    }
    return true;
}

std::string CrcHexDigits(Uint128 value, int width, bool upper_case) {
    const char* digits = upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    for (int shift = (width + kBitsPerHexDigit - 1) / kBitsPerHexDigit * kBitsPerHexDigit - kBitsPerHexDigit;
         shift >= 0; shift -= kBitsPerHexDigit) {
        text += digits[(value >> shift).low & 0xF];
    }
    return text;
}

std::string CrcCatalogueNumber(Uint128 value, int width) { return "0x" + CrcHexDigits(value, width, false); }

std::string FormatCrcParams(const CrcParams& p) {
    const auto boolean = [](bool value) { return value ? "true" : "false"; };
    return "width=" + std::to_string(p.width) + " poly=" + CrcCatalogueNumber(p.poly, p.width) +
           " init=" + CrcCatalogueNumber(p.init, p.width) + " refin=" + boolean(p.refin) +
           " refout=" + boolean(p.refout) + " xorout=" + CrcCatalogueNumber(p.xorout, p.width);
}

std::string FormatCrcModelLine(const CrcModel& model) {
    const int width = model.params.width;
    return FormatCrcParams(model.params) + " check=" + CrcCatalogueNumber(model.check, width) +
           " residue=" + CrcCatalogueNumber(model.residue, width) + " name=\"" + std::string(model.name) + "\"";
}

bool ParseCrcWidth(std::string_view text, int& width) {
    constexpr std::size_t kDigitsAtMost = 9;  // an int holds them all
    constexpr int kDecimalBase = 10;
    if (text.empty() || text.size() > kDigitsAtMost) return false;
    width = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        width = width * kDecimalBase + (c - '0');
    }
    return true;
}

bool ParseCrcModelLine(std::string_view line, CrcModelLine& parsed, std::string& error) {
    std::vector<Field> fields;
    if (!SplitFields(line, fields, error)) return false;
    parsed = CrcModelLine{};
    enum Key { kWidth, kPoly, kInit, kRefin, kRefout, kXorout, kCheck, kResidue, kName, kKeyCount };
    static const char* const kKeys[kKeyCount] = {"width",  "poly",  "init",    "refin", "refout",
                                                 "xorout", "check", "residue", "name"};
    bool seen[kKeyCount] = {};
    for (const Field& field : fields) {
        int key = 0;
        while (key < kKeyCount && field.key != kKeys[key]) ++key;
        if (key == kKeyCount) return error = Format(Tr("unknown field \"%1$s\""), {field.key}), false;
        if (seen[key]) return error = Format(Tr("%1$s is given twice"), {field.key}), false;
        seen[key] = true;

        const std::string& v = field.value;
        CrcParams& p = parsed.params;
        Uint128 number;
        bool ok = true;
        const char* not_wanted = Tr("%1$s=%2$s is not a hex number");
        switch (key) {
            case kWidth: ok = ParseCrcWidth(v, p.width), not_wanted = Tr("%1$s=%2$s is not a width in decimal"); break;
            case kPoly: ok = ParseCrcHexNumber(v, p.poly); break;
            case kInit: ok = ParseCrcHexNumber(v, p.init); break;
            case kRefin: ok = ParseBool(v, p.refin), not_wanted = Tr("%1$s=%2$s is not true or false"); break;
            case kRefout: ok = ParseBool(v, p.refout), not_wanted = Tr("%1$s=%2$s is not true or false"); break;
            case kXorout: ok = ParseCrcHexNumber(v, p.xorout); break;
            case kCheck: ok = ParseCrcHexNumber(v, number), parsed.check = number; break;
            case kResidue: ok = ParseCrcHexNumber(v, number), parsed.residue = number; break;
            default: parsed.name = v; break;
        }
        const bool hex_field = key == kPoly || key == kInit || key == kXorout || key == kCheck || key == kResidue;
        if (!ok && hex_field && IsCrcHexText(v)) {
            error = Format(Tr("%1$s=%2$s is too large for %3$s bits"), {field.key, v, std::to_string(kCrcMaxWidth)});
            return false;
        }
        if (!ok) return error = Format(not_wanted, {field.key, v}), false;
    }
    for (int key = kWidth; key <= kXorout; ++key) {
        if (!seen[key]) return error = Format(Tr("%1$s= is missing"), {kKeys[key]}), false;
    }
    if (!CheckCrcParams(parsed.params, error)) return false;
    const Uint128 above_width = ~LowBitsMask(parsed.params.width);
    if (parsed.check && !(*parsed.check & above_width).IsZero()) {
        error = Format(Tr("%1$s has bits above the width of %2$s"), {"check", std::to_string(parsed.params.width)});
    }
    if (error.empty() && parsed.residue && !(*parsed.residue & above_width).IsZero()) {
        error = Format(Tr("%1$s has bits above the width of %2$s"), {"residue", std::to_string(parsed.params.width)});
    }
    return error.empty();
}
