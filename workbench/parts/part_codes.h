// The markings of parts, both ways: resistor colour bands (IEC 60062), SMD
// resistor codes (three and four digits, EIA-96), IEC 60062's letter code
// ("4K7", "4L7", "4n7", "4F7"), capacitor codes ("104") and inductor codes
// ("4R7", "101"). What is written reads back as the very value it was
// written from.
#pragma once

#include <string>
#include <vector>

enum class PartKind { Resistor, Capacitor, Inductor };

// A marking read: the value (ohms, farads or henries; 0 for a jumper), the
// tolerance and the temperature coefficient the bands carry (0: not marked),
// the marking's form; or, without ok, what is wrong.
struct MarkingRead {
    bool ok = false;
    double value = 0;
    double tolerance = 0;    // a fraction: 0.05 for ±5 %
    double ppm_per_k = 0;    // the temperature coefficient
    std::string form;        // "3-digit", "letters", "EIA-96", "4 bands", "jumper", ...
    std::string error;
};

// 3 to 6 colour names, first band first: black brown red orange yellow green
// blue violet grey (gray) white gold silver pink, and none for the missing
// tolerance band of 3 (5 and 6 bands need one); or one black band, a
// jumper. Case is ignored.
MarkingRead ReadColourBands(const std::vector<std::string>& colours);

// Whether `word` names a band's colour (as ReadColourBands takes it): one
// word may be a code or a single band.
bool IsBandColour(const std::string& word);

// The code printed on a part of `kind`; a resistor's 0, 000 or 0R is a
// jumper.
MarkingRead ReadPartCode(PartKind kind, const std::string& code);

// The tolerances (fractions) and temperature coefficients (ppm/K) that a
// colour band stands for, smallest first: the values a marking can carry.
std::vector<double> BandTolerances();
std::vector<double> BandCoefficients();

// What a resistor's colour bands say beside its value. A tolerance of 0
// leaves each form its usual one, +-5 % on 4 bands and +-1 % on 5; a
// coefficient of 0 writes no 6 bands. Values no band stands for write no
// bands.
struct BandMarks {
    double tolerance = 0;  // a fraction: 0.01 for +-1 %
    double ppm_per_k = 0;
};

// Each marking of `value` on a part of `kind`, as (form, marking): the forms
// that cannot carry the value whole (too many figures, out of range) are
// left out, none rounds it. The letter code carries every value.
struct Marking {
    std::string form;
    std::string text;
};
std::vector<Marking> PartMarkings(PartKind kind, double value, const BandMarks& bands = {});
