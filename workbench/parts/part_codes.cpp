#include "workbench/parts/part_codes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "workbench/parts/e_series.h"
#include "workbench/parts/part_value.h"

namespace {

// IEC 60062:2016's code colours (digit, multiplier, tolerance, temperature
// coefficient), as reproduced in the Wikipedia article "Electronic color
// code" and checked against it colour by colour. Bands are written from this
// table as they are read, so the two directions cannot disagree. Older parts
// (EIA RS-279) may carry grey for +-0.05 %, which 2016 gives to orange,
// grey being +-0.01 %. A digit of -1 or a tolerance of 0: the colour does
// not stand for one.
struct Colour {
    const char* name;
    int digit;
    int multiplier;      // power of ten
    double tolerance;    // a fraction
    double ppm_per_k;
};
const Colour kColours[] = {
    {"black", 0, 0, 0, 250},          {"brown", 1, 1, 0.01, 100},      {"red", 2, 2, 0.02, 50},
    {"orange", 3, 3, 0.0005, 15},     {"yellow", 4, 4, 0.0002, 25},    {"green", 5, 5, 0.005, 20},
    {"blue", 6, 6, 0.0025, 10},       {"violet", 7, 7, 0.001, 5},      {"grey", 8, 8, 0.0001, 1},
    {"white", 9, 9, 0, 0},            {"gold", -1, -1, 0.05, 0},       {"silver", -1, -2, 0.1, 0},
    {"pink", -1, -3, 0, 0},           {"none", -1, 99, 0.2, 0},
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const Colour* FindColour(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower == "gray") return FindColour("grey");
    for (const Colour& colour : kColours) {
        if (lower == colour.name) return &colour;
    }
    return nullptr;
}

// The colour whose `column` (tolerance or ppm_per_k) is `value`; nullptr
// when none is. Near enough rather than equal: 0.05 / 100 need not be the
// double 0.0005.
const Colour* ColourOf(double Colour::*column, double value) {
    for (const Colour& colour : kColours) {
        if (colour.*column > 0 && std::fabs(colour.*column - value) <= colour.*column * 1e-9) return &colour;
    }
    return nullptr;
}

std::vector<double> ColumnValues(double Colour::*column) {
    std::vector<double> values;
    for (const Colour& colour : kColours) {
        if (colour.*column > 0) values.push_back(colour.*column);
    }
    std::sort(values.begin(), values.end());
    return values;
}

// "+-0.05 %", "50 ppm/K": as `quobrix parts code` prints them.
std::string PercentOf(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "+-%g %%", fraction * 100);
    return text;
}

std::string PpmOf(double ppm_per_k) {
    char text[32];
    std::snprintf(text, sizeof text, "%g ppm/K", ppm_per_k);
    return text;
}

std::string Ordinal(std::size_t i) {
    static const char* const kWords[] = {"first", "second", "third", "fourth", "fifth", "sixth"};
    return i < 6 ? kWords[i] : std::to_string(i + 1) + "th";
}

MarkingRead Failed(const std::string& error) {
    MarkingRead read;
    read.error = error;
    return read;
}

// `digits` times 10^power, rounded once.
double Scale(long digits, int power) {
    char text[48];
    std::snprintf(text, sizeof text, "%lde%d", digits, power);
    return std::strtod(text, nullptr);
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// "4R7", "R47", "47R": digits around one R (or r) standing for the point.
bool ReadRPoint(const std::string& code, double& value) {
    const std::size_t r = code.find_first_of("Rr");
    if (r == std::string::npos || code.find_first_of("Rr", r + 1) != std::string::npos) return false;
    const std::string before = code.substr(0, r), after = code.substr(r + 1);
    if ((!before.empty() && !AllDigits(before)) || (!after.empty() && !AllDigits(after))) return false;
    if (before.empty() && after.empty()) return false;
    value = std::strtod(((before.empty() ? std::string("0") : before) + "." + after).c_str(), nullptr);
    return value > 0;
}

// 'Z', 'Y', ... of EIA-96: the power of ten after the value's three digits.
bool Eia96Multiplier(char letter, int& power) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'Z': power = -3; return true;
        case 'Y':
        case 'R': power = -2; return true;
        case 'X':
        case 'S': power = -1; return true;
        case 'A': power = 0; return true;
        case 'B':
        case 'H': power = 1; return true;
        case 'C': power = 2; return true;
        case 'D': power = 3; return true;
        case 'E': power = 4; return true;
        case 'F': power = 5; return true;
        default: return false;
    }
}

MarkingRead Read(double value, const char* form) {
    MarkingRead read;
    read.ok = value > 0 && std::isfinite(value);
    read.value = value;
    read.form = form;
    if (!read.ok) read.error = "the code gives no value above zero";
    return read;
}

// The value's significant digits as an integer of `digits` digits and the
// power of ten after them; false when it needs more digits than that.
bool SignificantDigits(double value, int digits, long& mantissa, int& power) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*e", 11, value);
    const int exponent = std::atoi(std::strchr(text, 'e') + 1);
    std::string all;
    for (const char* c = text; *c != 'e'; ++c) {
        if (*c >= '0' && *c <= '9') all += *c;
    }
    for (std::size_t i = static_cast<std::size_t>(digits); i < all.size(); ++i) {
        if (all[i] != '0') return false;
    }
    mantissa = std::atol(all.substr(0, static_cast<std::size_t>(digits)).c_str());
    power = exponent - (digits - 1);
    return true;
}

// IEC 60062's letter code (RKM): the value's prefix letter where its point
// goes, or after it: 4K7, 100R, 1M0, R47; 4n7, 100n, 2u2 for capacitors and
// inductors, whose letters stay lower case as their prefixes are.
std::string LetterCode(double value, PartKind kind) {
    if (kind == PartKind::Resistor && value < 1) {
        long mantissa = 0;
        int power = 0;
        if (!SignificantDigits(value, 3, mantissa, power) || value < 0.001) return "";
        char text[16];
        std::snprintf(text, sizeof text, "%.3f", value);
        std::string code = text;  // "0.470"
        while (code.back() == '0') code.pop_back();
        return "R" + code.substr(2);
    }
    std::string text = PartValueText(value, 4);
    const char last = text.back();
    if (last >= '0' && last <= '9' && kind != PartKind::Resistor) {
        // Farads and henries whole: R would be the point of pF or uH.
        return text + (kind == PartKind::Capacitor ? "F" : "H");
    }
    std::string letter = (last >= '0' && last <= '9') ? "R" : std::string(1, last);
    if (letter != "R") text.pop_back();
    if (kind == PartKind::Resistor && letter == "k") letter = "K";
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return text + letter;
    return text.substr(0, point) + letter + text.substr(point + 1);
}

// A capacitor's last digit 8 and 9 stand for 10^-2 and 10^-1, so its
// zeros stop at 7.
std::string DigitsCode(double value, int digits, int max_zeros) {
    long mantissa = 0;
    int power = 0;
    if (!SignificantDigits(value, digits, mantissa, power)) return "";
    if (power >= 0 && power <= max_zeros) return std::to_string(mantissa) + std::to_string(power);
    if (power < 0 && power >= -digits) {
        std::string text = std::to_string(mantissa);
        text.insert(text.size() - static_cast<std::size_t>(-power), "R");
        return text;
    }
    return "";
}

}  // namespace

MarkingRead ReadColourBands(const std::vector<std::string>& colours) {
    if (colours.size() < 3 || colours.size() > 6) {
        return Failed(std::to_string(colours.size()) + " bands; a resistor has 3, 4, 5 or 6");
    }
    std::vector<const Colour*> bands;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour* colour = FindColour(colours[i]);
        if (colour == nullptr) {
            return Failed("the " + Ordinal(i) + " band '" + colours[i] +
                          "' is no colour (black brown red orange yellow green blue violet grey white gold silver "
                          "pink none)");
        }
        bands.push_back(colour);
    }
    const std::size_t digit_count = colours.size() >= 5 ? 3 : 2;
    long digits = 0;
    for (std::size_t i = 0; i < digit_count; ++i) {
        if (bands[i]->digit < 0) return Failed("the " + Ordinal(i) + " band, " + bands[i]->name + ", is no digit");
        digits = digits * 10 + bands[i]->digit;
    }
    const Colour& multiplier = *bands[digit_count];
    if (multiplier.multiplier == 99) {
        return Failed("the " + Ordinal(digit_count) + " band, none, is no multiplier");
    }
    MarkingRead read = Read(Scale(digits, multiplier.multiplier), "");
    read.form = std::to_string(colours.size()) + " bands";
    if (!read.ok) return read;
    if (colours.size() == 3) {
        read.tolerance = 0.2;
    } else {
        const Colour& tolerance = *bands[digit_count + 1];
        if (tolerance.tolerance == 0) {
            return Failed("the " + Ordinal(digit_count + 1) + " band, " + tolerance.name + ", is no tolerance");
        }
        read.tolerance = tolerance.tolerance;
    }
    if (colours.size() == 6) {
        const Colour& coefficient = *bands[5];
        if (coefficient.ppm_per_k == 0) {
            return Failed("the sixth band, " + std::string(coefficient.name) + ", is no temperature coefficient");
        }
        read.ppm_per_k = coefficient.ppm_per_k;
    }
    return read;
}

std::vector<double> BandTolerances() { return ColumnValues(&Colour::tolerance); }

std::vector<double> BandCoefficients() { return ColumnValues(&Colour::ppm_per_k); }

MarkingRead ReadPartCode(PartKind kind, const std::string& code) {
    double value = 0;
    if (kind == PartKind::Resistor) {
        if (ReadRPoint(code, value)) return Read(value, code.size() >= 4 ? "4-digit" : "3-digit");
        if (code.size() == 3 && AllDigits(code)) {
            return Read(Scale(std::atol(code.substr(0, 2).c_str()), code[2] - '0'), "3-digit");
        }
        if (code.size() == 4 && AllDigits(code)) {
            return Read(Scale(std::atol(code.substr(0, 3).c_str()), code[3] - '0'), "4-digit");
        }
        int power = 0;
        if (code.size() == 3 && AllDigits(code.substr(0, 2)) && Eia96Multiplier(code[2], power)) {
            const int index = std::atoi(code.substr(0, 2).c_str());
            if (index < 1 || index > 96) return Failed("EIA-96 code '" + code + "': its number is 01 to 96");
            const ESeries& e96 = *FindESeries("E96");
            return Read(Scale(e96.hundredths[index - 1], power), "EIA-96");
        }
        const PartValueRead read = ReadPartValue(code);
        if (read.ok) return Read(read.value, "value");
        return Failed("'" + code +
                      "' is no resistor code (3 digits as 472, 4 digits as 4702, R as the point as 4R7, EIA-96 "
                      "as 01C, or a value as 4k7)");
    }
    // Capacitors in pF, inductors in µH: two digits and the count of zeros,
    // 8 and 9 standing for 10^-2 and 10^-1 (capacitors).
    const int unit = kind == PartKind::Capacitor ? -12 : -6;
    if (ReadRPoint(code, value)) return Read(value * std::pow(10.0, unit), "R as the point");
    if ((code.size() == 3 || code.size() == 2) && AllDigits(code)) {
        if (code.size() == 2) return Read(Scale(std::atol(code.c_str()), unit), "2-digit");
        int power = code[2] - '0';
        if (kind == PartKind::Capacitor && power >= 8) power -= 10;
        return Read(Scale(std::atol(code.substr(0, 2).c_str()), power + unit), "3-digit");
    }
    const PartValueRead read = ReadPartValue(code);
    if (read.ok) return Read(read.value, "value");
    return Failed("'" + code + "' is no " + (kind == PartKind::Capacitor ? "capacitor" : "inductor") +
                  " code (3 digits as " + (kind == PartKind::Capacitor ? "104, 4n7 or 2u2" : "101, 4R7 or 10u") +
                  "): character " + std::to_string(read.position + 1) + " is not " + read.expected);
}

std::vector<Marking> PartMarkings(PartKind kind, double value, const BandMarks& marks) {
    std::vector<Marking> markings;
    const auto add = [&](const std::string& form, const std::string& text) {
        if (!text.empty()) markings.push_back({form, text});
    };
    if (kind == PartKind::Resistor) {
        add("letters", LetterCode(value, kind));
        add("3-digit", DigitsCode(value, 2, 9));
        add("4-digit", DigitsCode(value, 3, 9));
        long mantissa = 0;
        int power = 0;
        if (SignificantDigits(value, 3, mantissa, power)) {
            const ESeries& e96 = *FindESeries("E96");
            static const char kLetters[] = "ZYXABCDEF";  // 10^-3 to 10^5
            for (int i = 0; i < 96; ++i) {
                if (e96.hundredths[i] == mantissa && power >= -3 && power <= 5) {
                    char text[8];
                    std::snprintf(text, sizeof text, "%02d%c", i + 1, kLetters[power + 3]);
                    add("EIA-96", text);
                }
            }
        }
        for (const int digits : {2, 3}) {
            if (!SignificantDigits(value, digits, mantissa, power) || power < -3 || power > 9) continue;
            std::string bands;
            const std::string number = std::to_string(mantissa);
            if (static_cast<int>(number.size()) != digits) continue;
            for (const char digit : number) bands += std::string(kColours[digit - '0'].name) + " ";
            bands += power >= 0 ? kColours[power].name : power == -1 ? "gold" : power == -2 ? "silver" : "pink";
            const double tolerance = marks.tolerance > 0 ? marks.tolerance : digits == 2 ? 0.05 : 0.01;
            const Colour* band = ColourOf(&Colour::tolerance, tolerance);
            if (band == nullptr) continue;
            const std::string percent = PercentOf(band->tolerance);
            if (std::strcmp(band->name, "none") == 0) {
                // +-20 % is the band left off. Three figures without it
                // would read as two figures, a multiplier and a tolerance.
                if (digits == 2) add("3 bands, " + percent, bands);
                continue;
            }
            bands += std::string(" ") + band->name;
            add(std::to_string(digits + 2) + " bands, " + percent, bands);
            const Colour* coefficient = ColourOf(&Colour::ppm_per_k, marks.ppm_per_k);
            if (digits == 3 && coefficient != nullptr) {
                add("6 bands, " + percent + ", " + PpmOf(coefficient->ppm_per_k), bands + " " + coefficient->name);
            }
        }
        return markings;
    }
    const double unit = kind == PartKind::Capacitor ? 1e-12 : 1e-6;
    add("letters", LetterCode(value, kind));
    add("3-digit", DigitsCode(value / unit, 2, kind == PartKind::Capacitor ? 7 : 9));
    return markings;
}
