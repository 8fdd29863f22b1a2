#include "workbench/parts/part_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "i18n/translate.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the SI prefix starting `text` at `at`, and its length
// in bytes; 0 length when none starts there. 'R' is the ohm's point: 1.
std::size_t PrefixAt(const std::string& text, std::size_t at, int& power, bool allow_r) {
    if (at >= text.size()) return 0;
    switch (text[at]) {
        case 'f': power = -15; return 1;
        case 'p': power = -12; return 1;
        case 'n': power = -9; return 1;
        case 'u': power = -6; return 1;
        case 'm': power = -3; return 1;
        case 'k':
        case 'K': power = 3; return 1;
        case 'M': power = 6; return 1;
        case 'G': power = 9; return 1;
        case 'T': power = 12; return 1;
        case 'R':
        case 'r':
            if (!allow_r) return 0;
            power = 0;
            return 1;
        default: break;
    }
    // The micro sign U+00B5 and the Greek mu U+03BC, both in use.
    if (text.compare(at, 2, "\xC2\xB5") == 0 || text.compare(at, 2, "\xCE\xBC") == 0) {
        power = -6;
        return 2;
    }
    return 0;
}

bool IsUnit(const std::string& rest) {
    static const char* const kUnits[] = {"\xCE\xA9", "\xE2\x84\xA6", "ohm", "ohms", "Ohm", "R", "F", "H", "Hz", "V", "A"};
    for (const char* unit : kUnits) {
        if (rest == unit) return true;
    }
    return false;
}

PartValueRead Fail(std::size_t position, const char* expected) {
    PartValueRead read;
    read.position = position;
    read.expected = expected;
    return read;
}

}  // namespace

PartValueRead ReadPartValue(const std::string& text) {
    // The digits are gathered into a plain decimal for strtod, which reads it
    // correctly rounded in every C library, with the prefix in its exponent.
    std::string digits;
    std::size_t at = 0;
    int power = 0;
    bool prefix_point = false;
    const auto take_digits = [&]() {
        const std::size_t from = at;
        while (at < text.size() && IsDigit(text[at])) digits += text[at++];
        return at - from;
    };
    if (text.empty()) return Fail(0, i18n::Tr("a digit"));
    if (!IsDigit(text[0]) && text[0] != '.') {
        // "R47", "n47": a prefix as the leading point.
        const std::size_t length = PrefixAt(text, 0, power, true);
        if (length == 0) return Fail(0, i18n::Tr("a digit"));
        at = length;
        digits = "0.";
        prefix_point = true;
        if (take_digits() == 0) return Fail(at, i18n::Tr("a digit"));
    } else {
        std::size_t count = take_digits();
        int inner = 0;
        const std::size_t length = count > 0 ? PrefixAt(text, at, inner, true) : 0;
        if (at < text.size() && text[at] == '.') {
            digits += '.';
            ++at;
            count += take_digits();
        } else if (length > 0 && at + length < text.size() && IsDigit(text[at + length])) {
            // "4k7": a prefix between digits is the point.
            power = inner;
            at += length;
            digits += '.';
            prefix_point = true;
            take_digits();
        }
        if (count == 0) return Fail(at, i18n::Tr("a digit"));
    }
    int exponent = 0;
    if (!prefix_point && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t next = at + 1;
        const bool negative = next < text.size() && text[next] == '-';
        if (next < text.size() && (text[next] == '+' || text[next] == '-')) ++next;
        if (next < text.size() && IsDigit(text[next])) {
            at = next;
            while (at < text.size() && IsDigit(text[at])) {
                if (exponent > 999) return Fail(at, i18n::Tr("an exponent of at most four digits"));
                exponent = exponent * 10 + (text[at++] - '0');
            }
            if (negative) exponent = -exponent;
        }
    }
    if (!prefix_point) {
        // A trailing R is the unit ohm, not a point: "100R".
        const std::size_t length = PrefixAt(text, at, power, false);
        if (length > 0 && !IsUnit(text.substr(at))) {
            at += length;
            prefix_point = true;  // a prefix given: a unit may follow, no other
        } else {
            power = 0;
        }
    }
    if (at < text.size() && !IsUnit(text.substr(at))) {
        return Fail(at, prefix_point ? i18n::Tr("a unit (ohm F H Hz V A) or the end")
                                     : i18n::Tr("an SI prefix, a unit or the end"));
    }
    char scale[16];
    std::snprintf(scale, sizeof scale, "e%d", exponent + power);
    const double value = std::strtod((digits + scale).c_str(), nullptr);
    // Beyond the prefixes f to T no part is made, and the searches' decades
    // stay far from the double's limits.
    if (!(value > 0) || value < 1e-15 || value > 1e15) {
        PartValueRead read = Fail(0, value > 0 ? i18n::Tr("a value from 1f to 1000T") : i18n::Tr("a value above zero"));
        read.value = value;
        read.out_of_range = true;
        return read;
    }
    PartValueRead read;
    read.ok = true;
    read.value = value;
    return read;
}

namespace {

// `figures` (the first not 0) with the first at 10^exponent, with the SI
// prefix that leaves 1 to 999 before the point.
std::string PrefixedText(std::string mantissa, int exponent) {
    static const char* const kPrefixes[] = {"f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
    int group = exponent >= 0 ? exponent / 3 : -((-exponent + 2) / 3);
    if (group < -5) group = -5;
    if (group > 4) group = 4;
    const int before = exponent - 3 * group + 1;  // digits before the point
    std::string whole, fraction;
    if (before <= 0) {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-before), '0') + mantissa;
    } else {
        while (static_cast<int>(mantissa.size()) < before) mantissa += '0';
        whole = mantissa.substr(0, static_cast<std::size_t>(before));
        fraction = mantissa.substr(static_cast<std::size_t>(before));
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return whole + (fraction.empty() ? "" : "." + fraction) + kPrefixes[group + 5];
}

// printf's %e to `digits` figures, which rounds correctly, as figures and
// the power of ten of the first.
ValueFigures FiguresOf(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    const char* e = std::strchr(text, 'e');
    ValueFigures figures;
    figures.power = std::atoi(e + 1);
    for (const char* c = text; c != e; ++c) {
        if (IsDigit(*c)) figures.figures += *c;
    }
    return figures;
}

}  // namespace

ValueFigures ShortestFigures(double value) {
    // 17 figures always read back (DBL_DECIMAL_DIG); the first count that
    // does is the shortest, as correctly rounded printing and reading agree.
    ValueFigures figures;
    for (int digits = 1; digits <= 17; ++digits) {
        figures = FiguresOf(value, digits);
        char text[64];
        std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    while (figures.figures.size() > 1 && figures.figures.back() == '0') figures.figures.pop_back();
    return figures;
}

std::string PartValueText(double value, int digits) {
    if (!(value > 0) || !std::isfinite(value)) return "0";
    const ValueFigures figures = FiguresOf(value, digits);
    return PrefixedText(figures.figures, figures.power);
}

std::string ExactPartValueText(double value) {
    if (!(value > 0) || !std::isfinite(value)) return "0";
    const ValueFigures figures = ShortestFigures(value);
    return PrefixedText(figures.figures, figures.power);
}

std::string PercentText(double relative_error) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f %%", relative_error * 100);
    if (std::strncmp(text, "-0.00 ", 6) == 0) text[0] = '+';
    return text;
}
