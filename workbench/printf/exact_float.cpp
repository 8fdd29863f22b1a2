#include "workbench/printf/exact_float.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// ---- An unsigned integer of any size -----------------------------------
// A long double's exact decimal needs up to about 16500 digits (5^16445 has
// 38000 bits), far beyond the core's fixed 4096-bit number: this one grows.

class Big {
public:
    Big() = default;
    explicit Big(std::uint64_t value) {
        while (value != 0) {
            words_.push_back(static_cast<std::uint32_t>(value));
            value >>= 32;
        }
    }

    bool IsZero() const { return words_.empty(); }

    int BitLength() const {
        if (words_.empty()) return 0;
        int bits = static_cast<int>(words_.size() - 1) * 32;
        for (std::uint32_t top = words_.back(); top != 0; top >>= 1) ++bits;
        return bits;
    }

    bool Bit(int index) const {
        const std::size_t word = static_cast<std::size_t>(index / 32);
        return word < words_.size() && ((words_[word] >> (index % 32)) & 1) != 0;
    }

    bool AnyBitBelow(int index) const {
        const std::size_t whole = static_cast<std::size_t>(index / 32);
        for (std::size_t i = 0; i < whole && i < words_.size(); ++i) {
            if (words_[i] != 0) return true;
        }
        if (whole < words_.size() && index % 32 != 0) {
            return (words_[whole] & ((std::uint32_t{1} << (index % 32)) - 1)) != 0;
        }
        return false;
    }

    // The 64 bits from `index` up.
    std::uint64_t BitsFrom(int index) const {
        std::uint64_t bits = 0;
        for (int i = 63; i >= 0; --i) bits = (bits << 1) | (Bit(index + i) ? 1u : 0u);
        return bits;
    }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::uint32_t& word : words_) {
            const std::uint64_t product = std::uint64_t{word} * factor + carry;
            word = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
        Trim();
    }

    void MultiplyByPower(std::uint32_t base, int exponent) {
        // The largest power of `base` (5 or 10) that fits a word, as one factor.
        std::uint32_t chunk = 1;
        int chunk_exponent = 0;
        while (std::uint64_t{chunk} * base <= 0xFFFFFFFFu) {
            chunk *= base;
            ++chunk_exponent;
        }
        for (; exponent >= chunk_exponent; exponent -= chunk_exponent) MultiplyAdd(chunk, 0);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent) rest *= base;
        MultiplyAdd(rest, 0);
    }

    void ShiftLeft(int bits) {
        if (words_.empty() || bits == 0) return;
        const std::size_t whole = static_cast<std::size_t>(bits / 32);
        const int part = bits % 32;
        words_.insert(words_.begin(), whole, 0);
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::size_t i = whole; i < words_.size(); ++i) {
                const std::uint32_t word = words_[i];
                words_[i] = (word << part) | carry;
                carry = word >> (32 - part);
            }
            if (carry != 0) words_.push_back(carry);
        }
    }

    void ShiftRight(int bits) {
        const std::size_t whole = static_cast<std::size_t>(bits / 32);
        if (whole >= words_.size()) {
            words_.clear();
            return;
        }
        words_.erase(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(whole));
        const int part = bits % 32;
        if (part != 0) {
            for (std::size_t i = 0; i < words_.size(); ++i) {
                const std::uint32_t above = i + 1 < words_.size() ? words_[i + 1] : 0;
                words_[i] = (words_[i] >> part) | (above << (32 - part));
            }
        }
        Trim();
    }

    // *this -= other; requires *this >= other.
    void Subtract(const Big& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < words_.size(); ++i) {
            std::int64_t difference = std::int64_t{words_[i]} - borrow - (i < other.words_.size() ? other.words_[i] : 0);
            borrow = difference < 0 ? 1 : 0;
            if (difference < 0) difference += std::int64_t{1} << 32;
            words_[i] = static_cast<std::uint32_t>(difference);
        }
        Trim();
    }

    friend int Compare(const Big& a, const Big& b) {
        if (a.words_.size() != b.words_.size()) return a.words_.size() < b.words_.size() ? -1 : 1;
        for (std::size_t i = a.words_.size(); i-- > 0;) {
            if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
        }
        return 0;
    }

    std::string Decimal() const {
        if (words_.empty()) return "0";
        Big rest = *this;
        std::string reversed;
        while (!rest.words_.empty()) {
            // Nine digits at a time.
            std::uint64_t remainder = 0;
            for (std::size_t i = rest.words_.size(); i-- > 0;) {
                const std::uint64_t current = (remainder << 32) | rest.words_[i];
                rest.words_[i] = static_cast<std::uint32_t>(current / 1000000000u);
                remainder = current % 1000000000u;
            }
            rest.Trim();
            for (int d = 0; d < 9; ++d) {
                reversed += static_cast<char>('0' + remainder % 10);
                remainder /= 10;
            }
        }
        while (reversed.size() > 1 && reversed.back() == '0') reversed.pop_back();
        return std::string(reversed.rbegin(), reversed.rend());
    }

private:
    void Trim() {
        while (!words_.empty() && words_.back() == 0) words_.pop_back();
    }

    std::vector<std::uint32_t> words_;  // least significant first
};

// number / divisor by long division, one quotient bit at a time: the
// quotients here have only as many bits as the digits they give. The
// divisor is shifted up once and then down a bit at a time, in place.
Big Divide(const Big& number, const Big& divisor, Big& remainder) {
    remainder = number;
    Big quotient;
    const int top = number.BitLength() - divisor.BitLength();
    if (top < 0) return quotient;
    Big part = divisor;
    part.ShiftLeft(top);
    for (int bit = top; bit >= 0; --bit) {
        quotient.ShiftLeft(1);
        if (Compare(remainder, part) >= 0) {
            remainder.Subtract(part);
            quotient.MultiplyAdd(1, 1);
        }
        part.ShiftRight(1);
    }
    return quotient;
}

// ---- The formats -------------------------------------------------------

struct FormatLimits {
    int precision;     // significand bits
    int min_exponent;  // of a subnormal's significand
    int max_exponent;  // of the largest finite value's
};

FormatLimits LimitsOf(FloatFormat format) {
    if (format == FloatFormat::Double) return {53, -1074, 1023 - 52};
    return {64, -16445, 16383 - 63};
}

// `number` × 2^exponent, plus a little more when `sticky` (bits below that
// were not zero), rounded to the format to nearest, ties to even.
BinaryFloat Round(const Big& number, int exponent, bool sticky, bool negative, FloatFormat format, bool* overflow) {
    const FormatLimits limits = LimitsOf(format);
    BinaryFloat value;
    value.negative = negative;
    if (overflow != nullptr) *overflow = false;
    if (number.IsZero()) return value;  // the callers never leave only sticky bits
    int shift = number.BitLength() - limits.precision;
    if (exponent + shift < limits.min_exponent) shift = limits.min_exponent - exponent;
    std::uint64_t significand = 0;
    if (shift <= 0) {
        significand = number.BitsFrom(0) << -shift;
        exponent += shift;
    } else {
        significand = number.BitsFrom(shift);
        const bool half = number.Bit(shift - 1);
        const bool below = sticky || number.AnyBitBelow(shift - 1);
        exponent += shift;
        if (half && (below || (significand & 1) != 0)) {
            ++significand;
            if (limits.precision < 64 ? significand >> limits.precision != 0 : significand == 0) {
                significand = std::uint64_t{1} << (limits.precision - 1);
                ++exponent;
            }
        }
    }
    if (significand == 0) {
        if (overflow != nullptr) *overflow = false;
        return value;
    }
    if (exponent > limits.max_exponent) {
        value.kind = BinaryFloat::Infinity;
        if (overflow != nullptr) *overflow = true;
        return value;
    }
    value.significand = significand;
    value.exponent = exponent;
    return value;
}

// ---- Reading -----------------------------------------------------------

bool EqualNoCase(const std::string& text, std::size_t at, const char* word) {
    for (std::size_t i = 0; word[i] != '\0'; ++i) {
        if (at + i >= text.size()) return false;
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// An exponent's digits, held at a bound far beyond any format's range so a
// long run of digits cannot overflow.
bool ReadExponent(const std::string& text, std::size_t& at, long& exponent) {
    std::size_t i = at;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), 100000000L);
    exponent = negative ? -value : value;
    at = i;
    return true;
}

// Past these, every digit string of the lengths read here is beyond either
// format's range (a long double's values lie within 10^±4951).
constexpr long kExponentBound = 30000;
constexpr std::size_t kMaxDigits = 20000;

bool ReadHex(const std::string& text, std::size_t at, bool negative, FloatFormat format, BinaryFloat& value,
             bool* overflow) {
    Big number;
    long exponent = 0;
    bool any = false, point = false;
    std::size_t digits = 0;
    for (; at < text.size(); ++at) {
        if (text[at] == '.' && !point) {
            point = true;
            continue;
        }
        const int digit = HexDigit(text[at]);
        if (digit < 0) break;
        any = true;
        if (number.IsZero() && digit == 0) {
            if (point) exponent -= 4;
            continue;
        }
        if (++digits > kMaxDigits) return false;
        number.ShiftLeft(4);
        number.MultiplyAdd(1, static_cast<std::uint32_t>(digit));
        if (point) exponent -= 4;
    }
    if (!any) return false;
    if (at < text.size() && (text[at] == 'p' || text[at] == 'P')) {
        ++at;
        long binary = 0;
        if (!ReadExponent(text, at, binary)) return false;
        exponent += binary;
    }
    if (at != text.size()) return false;
    exponent = std::max(-4 * kExponentBound, std::min(exponent, 4 * kExponentBound));
    value = Round(number, static_cast<int>(exponent), false, negative, format, overflow);
    return true;
}

bool ReadDecimal(const std::string& text, std::size_t at, bool negative, FloatFormat format, BinaryFloat& value,
                 bool* overflow) {
    std::string digits;  // significant: no leading zeros
    long exponent = 0;   // of the last digit in `digits`
    bool any = false, point = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        any = true;
        if (point) --exponent;
        if (digits.empty() && c == '0') continue;
        if (digits.size() >= kMaxDigits) return false;
        digits += c;
    }
    if (!any) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        long decimal = 0;
        if (!ReadExponent(text, at, decimal)) return false;
        exponent += decimal;
    }
    if (at != text.size()) return false;
    value = BinaryFloat();
    value.negative = negative;
    if (overflow != nullptr) *overflow = false;
    if (digits.empty()) return true;
    // The value lies in [10^(magnitude-1), 10^magnitude).
    const long magnitude = exponent + static_cast<long>(digits.size());
    if (magnitude > 5000) {
        value.kind = BinaryFloat::Infinity;
        if (overflow != nullptr) *overflow = true;
        return true;
    }
    if (magnitude < -5000) return true;
    Big number;
    for (const char c : digits) number.MultiplyAdd(10, static_cast<std::uint32_t>(c - '0'));
    if (exponent >= 0) {
        number.MultiplyByPower(10, static_cast<int>(exponent));
        value = Round(number, 0, false, negative, format, overflow);
        return true;
    }
    // number / 10^-exponent: a quotient of two bits more than the format
    // holds, then the remainder as the sticky bit.
    Big divisor(1);
    divisor.MultiplyByPower(10, static_cast<int>(-exponent));
    const int shift = std::max(0, divisor.BitLength() - number.BitLength() + LimitsOf(format).precision + 2);
    number.ShiftLeft(shift);
    Big remainder;
    const Big quotient = Divide(number, divisor, remainder);
    value = Round(quotient, -shift, !remainder.IsZero(), negative, format, overflow);
    return true;
}

// ---- Writing -----------------------------------------------------------

// How much a floor left out: the rest of the exact value, in units of the
// last digit kept.
enum class Rest { Zero, BelowHalf, Half, AboveHalf };

// floor(|value| × 10^scale) and what it left out, in integers: value is
// significand × 2^exponent, so this is significand × 5^scale × 2^(exponent +
// scale), with a division by 5^-scale when scale is negative. Only the digits
// the text shows are ever worked out, never all of a long double's 16000.
Big ScaledFloor(const BinaryFloat& value, int scale, Rest& rest) {
    Big number(value.significand);
    const int binary = value.exponent + scale;
    Big divisor(1);
    if (scale >= 0) {
        number.MultiplyByPower(5, scale);
    } else {
        divisor.MultiplyByPower(5, -scale);
    }
    if (binary < 0 && scale >= 0) {
        // A division by a power of two: a shift, and the bits shifted out.
        const int shift = -binary;
        rest = !number.Bit(shift - 1) ? (number.AnyBitBelow(shift - 1) ? Rest::BelowHalf : Rest::Zero)
                                      : (number.AnyBitBelow(shift - 1) ? Rest::AboveHalf : Rest::Half);
        number.ShiftRight(shift);
        return number;
    }
    if (binary >= 0) {
        number.ShiftLeft(binary);
    } else {
        divisor.ShiftLeft(-binary);
    }
    Big remainder;
    Big quotient = Divide(number, divisor, remainder);
    if (remainder.IsZero()) {
        rest = Rest::Zero;
    } else {
        remainder.ShiftLeft(1);
        const int half = Compare(remainder, divisor);
        rest = half < 0 ? Rest::BelowHalf : half == 0 ? Rest::Half : Rest::AboveHalf;
    }
    return quotient;
}

// The decimal digits of a floor, rounded by what it left out to nearest,
// ties to even, as glibc's printf rounds in the default rounding mode.
std::string RoundedDigits(const Big& floor, Rest rest) {
    std::string digits = floor.Decimal();
    const bool odd = (digits.back() - '0') % 2 != 0;
    if (rest == Rest::AboveHalf || (rest == Rest::Half && odd)) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    return digits;
}

// Fixed notation with `precision` digits after the point.
std::string Fixed(const BinaryFloat& value, int precision, bool alternate) {
    Rest rest = Rest::Zero;
    const Big floor = ScaledFloor(value, precision, rest);
    std::string digits = RoundedDigits(floor, rest);
    if (digits.size() < static_cast<std::size_t>(precision) + 1) {
        digits.insert(0, static_cast<std::size_t>(precision) + 1 - digits.size(), '0');
    }
    const std::size_t whole = digits.size() - static_cast<std::size_t>(precision);
    std::string text = digits.substr(0, whole);
    if (precision > 0 || alternate) text += '.';
    return text + digits.substr(whole);
}

std::string ExponentText(char letter, int exponent, int min_digits) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < static_cast<std::size_t>(min_digits)) digits.insert(0, min_digits - digits.size(), '0');
    return std::string(1, letter) + (exponent < 0 ? "-" : "+") + digits;
}

// The `precision` + 1 digits of exponent notation, and the exponent.
std::string ScientificDigits(const BinaryFloat& value, int precision, int& exponent) {
    if (value.significand == 0) {
        exponent = 0;
        return std::string(static_cast<std::size_t>(precision) + 1, '0');
    }
    // A first guess from the binary exponent, log10(2) ≈ 646456993 / 2^31,
    // in integers so that every build guesses alike; corrected below.
    const long long binary = static_cast<long long>(Big(value.significand).BitLength()) - 1 + value.exponent;
    const long long product = binary * 646456993LL;
    exponent = static_cast<int>(product >= 0 ? product >> 31 : -((-product + (1LL << 31) - 1) >> 31));
    const std::size_t wanted = static_cast<std::size_t>(precision) + 1;
    for (;;) {
        Rest rest = Rest::Zero;
        const Big floor = ScaledFloor(value, precision - exponent, rest);
        const std::size_t size = floor.Decimal().size();
        if (size > wanted) {
            ++exponent;
        } else if (size < wanted) {
            --exponent;
        } else {
            std::string digits = RoundedDigits(floor, rest);
            if (digits.size() > wanted) {
                // 9.99 rounded up to 10.0: one more power of ten.
                ++exponent;
                digits.pop_back();
            }
            return digits;
        }
    }
}

std::string Scientific(const BinaryFloat& value, int precision, bool alternate, char letter) {
    int exponent = 0;
    const std::string digits = ScientificDigits(value, precision, exponent);
    std::string text = digits.substr(0, 1);
    if (precision > 0 || alternate) text += '.';
    return text + digits.substr(1) + ExponentText(letter, exponent, 2);
}

std::string General(const BinaryFloat& value, int precision, bool alternate, char letter) {
    const int significant = precision == 0 ? 1 : precision;
    int exponent = 0;
    ScientificDigits(value, significant - 1, exponent);
    std::string text = significant > exponent && exponent >= -4
                           ? Fixed(value, significant - 1 - exponent, alternate)
                           : Scientific(value, significant - 1, alternate, letter);
    if (alternate) return text;
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return text;
    const std::size_t mantissa_end = std::min(text.size(), text.find(letter));
    std::size_t keep = mantissa_end;
    while (keep > point + 1 && text[keep - 1] == '0') --keep;
    if (keep == point + 1) keep = point;
    return text.substr(0, keep) + text.substr(mantissa_end);
}

// %a as glibc writes it: a double as 1.hhh (0.hhh when subnormal, with the
// exponent -1022), a long double as its significand's top four bits, a
// point and the other 60 bits; trailing zeros dropped unless a precision
// asks for them; rounded to nearest, ties to even; a carry out of the
// leading digit counts on in it (0x1.f -> 0x2), past f it starts again at 1
// four binary places higher.
std::string Hexadecimal(const BinaryFloat& value, FloatFormat format, int precision, bool alternate, bool upper) {
    const char* digit_chars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    const int fraction_digits = format == FloatFormat::Double ? 13 : 15;
    const int fraction_bits = 4 * fraction_digits;
    int leading = static_cast<int>(value.significand >> fraction_bits);
    std::string fraction;
    for (int i = fraction_digits - 1; i >= 0; --i) fraction += digit_chars[(value.significand >> (4 * i)) & 0xF];
    int exponent = value.significand == 0 ? 0 : value.exponent + fraction_bits;
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (precision >= 0 && static_cast<std::size_t>(precision) < fraction.size()) {
        const int next = HexDigit(fraction[static_cast<std::size_t>(precision)]);
        const int last = precision > 0 ? HexDigit(fraction[static_cast<std::size_t>(precision) - 1]) : leading;
        const bool more = (next & 7) != 0 || static_cast<std::size_t>(precision) + 1 < fraction.size();
        fraction.resize(static_cast<std::size_t>(precision));
        if (next >= 8 && (more || (last & 1) != 0)) {
            std::size_t i = fraction.size();
            while (i > 0 && HexDigit(fraction[i - 1]) == 15) fraction[--i] = '0';
            if (i > 0) {
                fraction[i - 1] = digit_chars[HexDigit(fraction[i - 1]) + 1];
            } else if (leading < 15) {
                ++leading;
            } else {
                leading = 1;
                exponent += 4;
            }
        }
    }
    if (precision > static_cast<int>(fraction.size())) fraction.append(static_cast<std::size_t>(precision) - fraction.size(), '0');
    std::string text = std::string(upper ? "0X" : "0x") + digit_chars[leading];
    if (!fraction.empty() || alternate) text += '.';
    return text + fraction + ExponentText(upper ? 'P' : 'p', exponent, 1);
}

}  // namespace

bool ReadFloat(const std::string& text, FloatFormat format, BinaryFloat& value, bool* overflow) {
    if (overflow != nullptr) *overflow = false;
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    value = BinaryFloat();
    value.negative = negative;
    if (EqualNoCase(text, at, "inf")) {
        const std::size_t end = EqualNoCase(text, at, "infinity") ? at + 8 : at + 3;
        value.kind = BinaryFloat::Infinity;
        return end == text.size();
    }
    if (EqualNoCase(text, at, "nan")) {
        value.kind = BinaryFloat::NaN;
        std::size_t end = at + 3;
        if (end == text.size()) return true;
        // nan(n-char-sequence): letters, digits and underscores.
        if (text[end] != '(' || text.back() != ')') return false;
        for (std::size_t i = end + 1; i + 1 < text.size(); ++i) {
            const char c = text[i];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')) return false;
        }
        return true;
    }
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        return ReadHex(text, at + 2, negative, format, value, overflow);
    }
    return ReadDecimal(text, at, negative, format, value, overflow);
}

BinaryFloat FloatFromDoubleBits(std::uint64_t bits) {
    BinaryFloat value;
    value.negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        value.kind = fraction == 0 ? BinaryFloat::Infinity : BinaryFloat::NaN;
    } else if (biased == 0) {
        if (fraction != 0) {
            value.significand = fraction;
            value.exponent = -1074;
        }
    } else {
        value.significand = fraction | (std::uint64_t{1} << 52);
        value.exponent = biased - 1075;
    }
    return value;
}

std::uint64_t DoubleBitsOf(const BinaryFloat& value) {
    const std::uint64_t sign = value.negative ? std::uint64_t{1} << 63 : 0;
    if (value.kind == BinaryFloat::Infinity) return sign | (std::uint64_t{0x7FF} << 52);
    if (value.kind == BinaryFloat::NaN) return sign | (std::uint64_t{0x7FF} << 52) | (std::uint64_t{1} << 51);
    if (value.significand == 0) return sign;
    if (value.significand >> 52 == 0) return sign | value.significand;  // subnormal
    const std::uint64_t biased = static_cast<std::uint64_t>(value.exponent + 1075);
    return sign | (biased << 52) | (value.significand & ((std::uint64_t{1} << 52) - 1));
}

std::string FloatBody(const BinaryFloat& value, FloatFormat format, const FloatStyle& style) {
    const char conversion = style.conversion;
    const bool upper = conversion >= 'A' && conversion <= 'Z';
    if (value.kind != BinaryFloat::Finite) {
        const char* word = value.kind == BinaryFloat::Infinity ? (upper ? "INF" : "inf") : (upper ? "NAN" : "nan");
        return word;
    }
    const char lower = static_cast<char>(upper ? conversion - 'A' + 'a' : conversion);
    if (lower == 'a') return Hexadecimal(value, format, style.precision, style.alternate, upper);
    const int precision = style.precision < 0 ? 6 : style.precision;
    const char letter = upper ? 'E' : 'e';
    if (lower == 'f') return Fixed(value, precision, style.alternate);
    if (lower == 'e') return Scientific(value, precision, style.alternate, letter);
    return General(value, precision, style.alternate, letter);
}
