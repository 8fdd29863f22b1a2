#include "workbench/parts/part_codes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "workbench/parts/e_series.h"
#include "workbench/parts/part_value.h"
#include "i18n/translate.h"

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

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

// A band's place, for a message: "the %1$s band" takes it.
std::string Ordinal(std::size_t i) {
    switch (i) {
        case 0: return Tr("first");
        case 1: return Tr("second");
        case 2: return Tr("third");
        case 3: return Tr("fourth");
        case 4: return Tr("fifth");
        case 5: return Tr("sixth");
    }
    return std::to_string(i + 1) + "th";
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

// The letters that stand for the point of a value, each with the power of
// ten it stands for: IEC 60062's letter code. Resistors: L (milliohms, since
// its 2016 edition), R, K, M, G, T in capitals; capacitors and inductors:
// the prefixes' own letters, and F or H at 1 F or 1 H and above (4F7). The
// letters not written are read as the same: r, k, and the micro sign and
// the Greek mu for u.
struct PointLetter {
    const char* text;
    int power;
    bool written;
};
const PointLetter kResistorLetters[] = {
    {"L", -3, true}, {"R", 0, true}, {"K", 3, true},  {"M", 6, true},
    {"G", 9, true},  {"T", 12, true}, {"r", 0, false}, {"k", 3, false},
};
const PointLetter kCapacitorLetters[] = {
    {"p", -12, true}, {"n", -9, true}, {"u", -6, true}, {"m", -3, true},
    {"F", 0, true},   {"\xC2\xB5", -6, false}, {"\xCE\xBC", -6, false},
};
const PointLetter kInductorLetters[] = {
    {"p", -12, true}, {"n", -9, true}, {"u", -6, true}, {"m", -3, true},
    {"H", 0, true},   {"\xC2\xB5", -6, false}, {"\xCE\xBC", -6, false},
};

const std::vector<PointLetter>& LettersOf(PartKind kind) {
    static const std::vector<PointLetter> kResistor(std::begin(kResistorLetters), std::end(kResistorLetters));
    static const std::vector<PointLetter> kCapacitor(std::begin(kCapacitorLetters), std::end(kCapacitorLetters));
    static const std::vector<PointLetter> kInductor(std::begin(kInductorLetters), std::end(kInductorLetters));
    return kind == PartKind::Resistor ? kResistor : kind == PartKind::Capacitor ? kCapacitor : kInductor;
}

// R as the point of pF or uH, as makers mark small capacitors and inductors.
const std::vector<PointLetter>& UnitRLetters(PartKind kind) {
    static const std::vector<PointLetter> kPicofarads = {{"R", -12, true}, {"r", -12, false}};
    static const std::vector<PointLetter> kMicrohenries = {{"R", -6, true}, {"r", -6, false}};
    return kind == PartKind::Capacitor ? kPicofarads : kMicrohenries;
}

// Figures around one letter of `letters` standing for the point ("4K7",
// "R47", "470R", "4L7", "p47"), read as the plain decimal they stand for, so
// the value is the one strtod gives that decimal: false when `code` is none.
// The value may be 0 ("0R").
bool ReadLetterPoint(const std::string& code, const std::vector<PointLetter>& letters, double& value,
                     const PointLetter** letter = nullptr) {
    std::size_t at = 0;
    while (at < code.size() && code[at] >= '0' && code[at] <= '9') ++at;
    for (const PointLetter& each : letters) {
        const std::size_t length = std::strlen(each.text);
        if (code.compare(at, length, each.text) != 0) continue;
        const std::string before = code.substr(0, at), after = code.substr(at + length);
        if ((!after.empty() && !AllDigits(after)) || (before.empty() && after.empty())) return false;
        const std::string plain = (before.empty() ? std::string("0") : before) + (after.empty() ? "" : "." + after) +
                                  "e" + std::to_string(each.power);
        value = std::strtod(plain.c_str(), nullptr);
        if (letter != nullptr) *letter = &each;
        return true;
    }
    return false;
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

// A letter code may have any number of figures; beyond what a value may be
// (ReadPartValue's 1f to 1000T) no part is made. Such a read has no error
// yet: ReadPartCode and ReadColourBands say it, naming the code or the bands.
MarkingRead Read(double value, const char* form) {
    MarkingRead read;
    read.ok = value >= 1e-15 && value <= 1e15;
    read.value = value;
    read.form = form;
    return read;
}

// A zero-ohm link: a value, though no part's.
MarkingRead Jumper() {
    MarkingRead read;
    read.ok = true;
    read.form = "jumper";
    return read;
}

// The figures of `value` padded with zeros to `count` of them; false when it
// has more (a marking of `count` figures would round it).
bool PaddedFigures(const ValueFigures& value, int count, std::string& figures) {
    if (static_cast<int>(value.figures.size()) > count) return false;
    figures = value.figures + std::string(static_cast<std::size_t>(count) - value.figures.size(), '0');
    return true;
}

// IEC 60062's letter code (RKM): the letter of the value's prefix where its
// point goes, or after it: 4K7, 100R, 47K3, 4L7; 4n7, 100n, 4F7 for
// capacitors, 2u2, 2H2 for inductors, whose letters stay lower case as their
// prefixes are. Every figure is written, so the code carries the value
// whole; below the smallest letter the letter leads (L47, p47), and a
// resistor's tenths keep R as IEC's own R47 does.
std::string LetterCode(const ValueFigures& value, PartKind kind) {
    const PointLetter* chosen = nullptr;
    const PointLetter* smallest = nullptr;
    const std::vector<PointLetter>& letters = LettersOf(kind);
    for (const PointLetter& letter : letters) {
        if (!letter.written) continue;
        if (smallest == nullptr || letter.power < smallest->power) smallest = &letter;
        if (letter.power <= value.power && (chosen == nullptr || letter.power > chosen->power)) chosen = &letter;
    }
    if (kind == PartKind::Resistor && value.power == -1) chosen = &letters[1];  // R
    if (chosen == nullptr) chosen = smallest;
    const int before = value.power - chosen->power + 1;  // figures before the point
    const std::string& figures = value.figures;
    if (before <= 0) return chosen->text + std::string(static_cast<std::size_t>(-before), '0') + figures;
    const std::size_t whole = static_cast<std::size_t>(before);
    if (whole >= figures.size()) return figures + std::string(whole - figures.size(), '0') + chosen->text;
    return figures.substr(0, whole) + chosen->text + figures.substr(whole);
}

// The SMD code of `length` characters in the unit 10^unit (ohm, pF, uH):
// length - 1 figures and the count of zeros after them (472); below the
// values that leave a count, the figures with R as the point (4R7, 47R0),
// and below 1 R first with the zeros the value needs (R47, R005). A
// capacitor's last digits 8 and 9 stand for 10^-2 and 10^-1, so its zeros
// stop at 7 and its small values take R.
std::string DigitsCode(const ValueFigures& value, int length, int max_zeros, int unit) {
    const int count = length - 1;
    const int power = value.power - unit;  // of the first figure, in the unit
    std::string figures;
    if (power >= count - 1) {
        const int zeros = power - (count - 1);
        if (!PaddedFigures(value, count, figures) || zeros > max_zeros) return "";
        return figures + std::to_string(zeros);
    }
    if (power >= 0) {
        if (!PaddedFigures(value, count, figures)) return "";
        return figures.insert(static_cast<std::size_t>(power) + 1, "R");
    }
    const ValueFigures shifted = {std::string(static_cast<std::size_t>(-power - 1), '0') + value.figures, 0};
    if (!PaddedFigures(shifted, count, figures)) return "";
    return "R" + figures;
}

// EIA-96: the number of the value's three figures in E96 and the letter of
// its multiplier, 10^-3 (Z) to 10^5 (F).
std::string Eia96Code(const ValueFigures& value) {
    static const char kLetters[] = "ZYXABCDEF";
    std::string figures;
    const int power = value.power - 2;
    if (!PaddedFigures(value, 3, figures) || power < -3 || power > 5) return "";
    const ESeries& e96 = *FindESeries("E96");
    for (int i = 0; i < e96.count; ++i) {
        if (e96.hundredths[i] == std::atoi(figures.c_str())) {
            char text[16];
            std::snprintf(text, sizeof text, "%02d%c", i + 1, kLetters[power + 3]);
            return text;
        }
    }
    return "";
}

// The figure and multiplier bands of `count` figures (2 or 3), the
// multiplier from pink (10^-3) to white (10^9); "" when they cannot carry
// the value.
std::string FigureBands(const ValueFigures& value, int count) {
    std::string figures;
    const int power = value.power - (count - 1);
    if (!PaddedFigures(value, count, figures) || power < -3 || power > 9) return "";
    std::string bands;
    for (const char figure : figures) bands += std::string(kColours[figure - '0'].name) + " ";
    return bands + (power >= 0 ? kColours[power].name : power == -1 ? "gold" : power == -2 ? "silver" : "pink");
}

// The value `code` stands for on a part of `kind`; errors of a value out of
// range name no code, ReadPartCode adds it.
MarkingRead ReadCode(PartKind kind, const std::string& code) {
    double value = 0;
    const PointLetter* letter = nullptr;
    if (kind == PartKind::Resistor) {
        // A zero-ohm link: zeros alone (0, 000) or around R (0R).
        const bool zeros = !code.empty() && code.find_first_not_of('0') == std::string::npos;
        if (zeros && code.size() <= 4) return Jumper();
        if (ReadLetterPoint(code, LettersOf(kind), value, &letter)) {
            if (value == 0 && letter->power == 0 && code.size() <= 4) return Jumper();
            if (value == 0) {
                return Failed(Format(Tr("'%1$s' gives zero ohms; a jumper is marked 0, 000 or 0R"), {code}));
            }
            return Read(value, "letters");
        }
        if (code.size() == 3 && AllDigits(code)) {
            return Read(Scale(std::atol(code.substr(0, 2).c_str()), code[2] - '0'), "3-digit");
        }
        if (code.size() == 4 && AllDigits(code)) {
            return Read(Scale(std::atol(code.substr(0, 3).c_str()), code[3] - '0'), "4-digit");
        }
        int power = 0;
        if (code.size() == 3 && AllDigits(code.substr(0, 2)) && Eia96Multiplier(code[2], power)) {
            const int index = std::atoi(code.substr(0, 2).c_str());
            if (index < 1 || index > 96) {
                return Failed(Format(Tr("EIA-96 code '%1$s': its number is 01 to 96"), {code}));
            }
            const ESeries& e96 = *FindESeries("E96");
            return Read(Scale(e96.hundredths[index - 1], power), "EIA-96");
        }
        const PartValueRead read = ReadPartValue(code);
        if (read.ok) return Read(read.value, "value");
        return Failed(Format(Tr("'%1$s' is no resistor code (3 digits as 472, 4 digits as 4702, IEC 60062's letters "
                                "as 4K7, 4R7 or 4L7, EIA-96 as 01C, a jumper's 0R, or a value as 4.7k)"),
                             {code}));
    }
    // Capacitors in pF, inductors in uH: two digits and the count of zeros,
    // 8 and 9 standing for 10^-2 and 10^-1 (capacitors).
    const bool capacitor = kind == PartKind::Capacitor;
    const int unit = capacitor ? -12 : -6;
    if (ReadLetterPoint(code, UnitRLetters(kind), value)) {
        return Read(value, "R as the point");
    }
    if (ReadLetterPoint(code, LettersOf(kind), value)) return Read(value, "letters");
    if ((code.size() == 3 || code.size() == 2) && AllDigits(code)) {
        if (code.size() == 2) return Read(Scale(std::atol(code.c_str()), unit), "2-digit");
        int power = code[2] - '0';
        if (capacitor && power >= 8) power -= 10;
        return Read(Scale(std::atol(code.substr(0, 2).c_str()), power + unit), "3-digit");
    }
    const PartValueRead read = ReadPartValue(code);
    if (read.ok) return Read(read.value, "value");
    const char* const pattern =
        capacitor ? Tr("'%1$s' is no capacitor code (3 digits as 104, 4n7, 4F7 or 2u2): character %2$s is not %3$s")
                  : Tr("'%1$s' is no inductor code (3 digits as 101, 4R7, 10u or 2H2): character %2$s is not %3$s");
    return Failed(Format(pattern, {code, std::to_string(read.position + 1), read.expected}));
}

}  // namespace

MarkingRead ReadColourBands(const std::vector<std::string>& colours) {
    if (colours.size() == 1 && FindColour(colours[0]) == FindColour("black")) return Jumper();
    if (colours.size() < 3 || colours.size() > 6) {
        return Failed(Format(TrN("%1$s band; a resistor has 3, 4, 5 or 6 (or one black band, a jumper)",
                                 "%1$s bands; a resistor has 3, 4, 5 or 6 (or one black band, a jumper)",
                                 colours.size()),
                             {std::to_string(colours.size())}));
    }
    std::vector<const Colour*> bands;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour* colour = FindColour(colours[i]);
        if (colour == nullptr) {
            return Failed(Format(Tr("the %1$s band '%2$s' is no colour (black brown red orange yellow green blue "
                                    "violet grey white gold silver pink none)"),
                                 {Ordinal(i), colours[i]}));
        }
        bands.push_back(colour);
    }
    const std::size_t digit_count = colours.size() >= 5 ? 3 : 2;
    long digits = 0;
    for (std::size_t i = 0; i < digit_count; ++i) {
        if (bands[i]->digit < 0) {
            return Failed(Format(Tr("the %1$s band, %2$s, is no digit"), {Ordinal(i), bands[i]->name}));
        }
        digits = digits * 10 + bands[i]->digit;
    }
    const Colour& multiplier = *bands[digit_count];
    if (multiplier.multiplier == 99) {
        return Failed(Format(Tr("the %1$s band, none, is no multiplier"), {Ordinal(digit_count)}));
    }
    MarkingRead read = Read(Scale(digits, multiplier.multiplier), "");
    read.form = std::to_string(colours.size()) + " bands";
    if (!read.ok) {
        return Failed(read.value > 0 ? Tr("the bands gives no value from 1f to 1000T")
                                     : Tr("the bands gives no value above zero"));
    }
    if (colours.size() == 3) {
        read.tolerance = 0.2;
    } else {
        const Colour& tolerance = *bands[digit_count + 1];
        if (tolerance.tolerance == 0) {
            return Failed(
                Format(Tr("the %1$s band, %2$s, is no tolerance"), {Ordinal(digit_count + 1), tolerance.name}));
        }
        if (std::strcmp(tolerance.name, "none") == 0) {
            // None is the +-20 % band left off: what remains of 4 bands is
            // 3; three figures left without one would read as 4 bands, and a
            // temperature coefficient has no place without one before it.
            if (colours.size() > 4) {
                return Failed(Format(Tr("the fifth band, none: %1$s bands need a tolerance band (+-20 %% has "
                                        "none, and only 2 figures go without it)"),
                                     {std::to_string(colours.size())}));
            }
            read.form = "3 bands";
        }
        read.tolerance = tolerance.tolerance;
    }
    if (colours.size() == 6) {
        const Colour& coefficient = *bands[5];
        if (coefficient.ppm_per_k == 0) {
            return Failed(Format(Tr("the sixth band, %1$s, is no temperature coefficient"), {coefficient.name}));
        }
        read.ppm_per_k = coefficient.ppm_per_k;
    }
    return read;
}

bool IsBandColour(const std::string& word) { return FindColour(word) != nullptr; }

std::vector<double> BandTolerances() { return ColumnValues(&Colour::tolerance); }

std::vector<double> BandCoefficients() { return ColumnValues(&Colour::ppm_per_k); }

MarkingRead ReadPartCode(PartKind kind, const std::string& code) {
    MarkingRead read = ReadCode(kind, code);
    // A value out of range comes without its error: it names the code.
    if (!read.ok && read.error.empty()) {
        read.error = Format(read.value > 0 ? Tr("'%1$s' gives no value from 1f to 1000T")
                                           : Tr("'%1$s' gives no value above zero"),
                            {code});
    }
    return read;
}

std::vector<Marking> PartMarkings(PartKind kind, double value, const BandMarks& marks) {
    std::vector<Marking> markings;
    if (!(value > 0) || !std::isfinite(value)) return markings;
    const auto add = [&](const std::string& form, const std::string& text) {
        if (!text.empty()) markings.push_back({form, text});
    };
    // Every form is written from the value's shortest exact figures, so a
    // form either carries the value whole or is left out: none rounds it.
    const ValueFigures figures = ShortestFigures(value);
    add("letters", LetterCode(figures, kind));
    if (kind != PartKind::Resistor) {
        const bool capacitor = kind == PartKind::Capacitor;
        add("3-digit", DigitsCode(figures, 3, capacitor ? 7 : 9, capacitor ? -12 : -6));
        return markings;
    }
    add("3-digit", DigitsCode(figures, 3, 9, 0));
    add("4-digit", DigitsCode(figures, 4, 9, 0));
    add("EIA-96", Eia96Code(figures));
    for (const int count : {2, 3}) {
        const std::string bands = FigureBands(figures, count);
        if (bands.empty()) continue;
        const double tolerance = marks.tolerance > 0 ? marks.tolerance : count == 2 ? 0.05 : 0.01;
        const Colour* band = ColourOf(&Colour::tolerance, tolerance);
        if (band == nullptr) continue;
        const std::string percent = PercentOf(band->tolerance);
        if (std::strcmp(band->name, "none") == 0) {
            // +-20 % is the band left off. Three figures without it
            // would read as two figures, a multiplier and a tolerance.
            if (count == 2) add("3 bands, " + percent, bands);
            continue;
        }
        const std::string with_tolerance = bands + " " + band->name;
        add(std::to_string(count + 2) + " bands, " + percent, with_tolerance);
        const Colour* coefficient = ColourOf(&Colour::ppm_per_k, marks.ppm_per_k);
        if (count == 3 && coefficient != nullptr) {
            add("6 bands, " + percent + ", " + PpmOf(coefficient->ppm_per_k),
                with_tolerance + " " + coefficient->name);
        }
    }
    return markings;
}
