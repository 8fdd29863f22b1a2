// Values of parts as engineers write them: "4k7", "4.7k", "4700", "2.2u",
// "100n", "4R7", with an optional unit; and back, with an SI prefix.
#pragma once

#include <cstddef>
#include <string>

struct PartValueRead {
    bool ok = false;
    double value = 0;
    // Without ok: the byte offset of the first character that does not fit
    // (the text's length when it ends too soon), and what was expected there.
    std::size_t position = 0;
    std::string expected;
    // Without ok, a number read whole that is no part's value (zero, or
    // beyond 1f to 1000T): `value` holds it and `position` is 0.
    bool out_of_range = false;
};

// Digits with an optional point and exponent, or an SI prefix (p n u µ m k K
// M G) or R standing in for the point ("4k7", "4R7", "R47"), then an optional
// prefix and an optional unit (Ω ohm R F H Hz V A). From 1e-15 to 1e15 only:
// no part lies beyond, and the searches stay within a double's range.
PartValueRead ReadPartValue(const std::string& text);

// `value` to `digits` significant digits (trailing zeros dropped) with the SI
// prefix that leaves 1 to 999 before it: 4700 -> "4.7k", 1e-7 -> "100n",
// 0.5 -> "500m". The prefix of micro is "u", so the text stays ASCII.
std::string PartValueText(double value, int digits = 3);

// The fewest significant figures that strtod reads back as `value` (> 0),
// no zeros trailing, and the power of ten of the first: 4700 -> {"47", 3},
// 0.0047 -> {"47", -3}. What was typed as a value comes back as typed, and a
// marking written from these figures reads back as the very same double.
struct ValueFigures {
    std::string figures;
    int power = 0;
};
ValueFigures ShortestFigures(double value);

// PartValueText with as many figures as `value` needs to read back exactly:
// 12345.6 -> "12.3456k".
std::string ExactPartValueText(double value);

// A relative error as a signed percentage with two decimals: "+6.25 %",
// "-2.08 %"; one that rounds to zero is "+0.00 %".
std::string PercentText(double relative_error);
