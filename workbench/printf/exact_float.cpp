#include "workbench/printf/exact_float.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "workbench/numbers/shortest_float.h"
#include "workbench/numbers/shortest_digits.h"

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

    // The bits from `index` up, taken out: what is left lies below
    // 2^index. The caller knows that they fit 32 bits.
    std::uint32_t SplitAt(int index) {
        const std::size_t word = static_cast<std::size_t>(index / 32);
        const int part = index % 32;
        if (word >= words_.size()) return 0;
        std::uint64_t high = words_[word] >> part;
        if (word + 1 < words_.size()) high |= std::uint64_t{words_[word + 1]} << (32 - part);
        words_.resize(word + 1);
        words_[word] &= (std::uint32_t{1} << part) - 1;
        Trim();
        return static_cast<std::uint32_t>(high);
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

    void Add(const Big& other) {
        if (words_.size() < other.words_.size()) words_.resize(other.words_.size(), 0);
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < words_.size(); ++i) {
            carry += std::uint64_t{words_[i]} + (i < other.words_.size() ? other.words_[i] : 0);
            words_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) words_.push_back(static_cast<std::uint32_t>(carry));
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

// The exact decimal digits of a finite value's magnitude, significand ×
// 2^exponent: its integer part's at once, then its fraction's one at a time.
// The fraction is numerator / 2^bits. Nine more digits are the integer part
// of the fraction × 10^9, and 10^9 = 5^9 × 2^9: the numerator is multiplied
// by 5^9 over a denominator nine bits smaller, so it never outgrows the
// denominator. Each digit then costs work in proportion to the bits left in
// the fraction, never to the digits already written (which made a precision
// of 65536 quadratic); a fraction of k bits ends after k digits, and every
// digit after that is a 0 at no cost.
class DecimalExpansion {
public:
    explicit DecimalExpansion(const BinaryFloat& value) {
        if (value.exponent >= 0) {
            Big whole(value.significand);
            whole.ShiftLeft(value.exponent);
            integer_ = whole.Decimal();
            return;
        }
        bits_ = -value.exponent;
        const std::uint64_t below = bits_ < 64 ? (std::uint64_t{1} << bits_) - 1 : ~std::uint64_t{0};
        integer_ = std::to_string(bits_ < 64 ? value.significand >> bits_ : 0);
        fraction_ = Big(value.significand & below);
    }

    // The integer part's digits, "0" below 1.
    const std::string& Integer() const { return integer_; }

    // The fraction's next digit.
    char Next() {
        if (at_ == kBlock) Refill();
        return block_[at_++];
    }

    // Whether every digit after those taken is a 0.
    bool RestIsZero() const {
        for (int i = at_; i < kBlock; ++i) {
            if (block_[i] != '0') return false;
        }
        return fraction_.IsZero();
    }

private:
    static constexpr int kBlock = 9;

    void Refill() {
        std::uint32_t digits = 0;
        if (!fraction_.IsZero()) {
            fraction_.MultiplyAdd(1953125, 0);  // 5^9
            if (bits_ >= kBlock) {
                bits_ -= kBlock;
            } else {
                fraction_.ShiftLeft(kBlock - bits_);
                bits_ = 0;
            }
            digits = fraction_.SplitAt(bits_);
        }
        for (int i = kBlock - 1; i >= 0; --i) {
            block_[i] = static_cast<char>('0' + digits % 10);
            digits /= 10;
        }
        at_ = 0;
    }

    std::string integer_;
    Big fraction_;
    int bits_ = 0;
    char block_[kBlock] = {};
    int at_ = kBlock;
};

// How much the digits kept leave out: the rest of the exact value, in units
// of the last digit kept.
enum class Rest { Zero, BelowHalf, Half, AboveHalf };

// The rest, from its first digit and whether any digit after that is not 0.
Rest RestOf(char first, bool more) {
    if (first > '5') return Rest::AboveHalf;
    if (first == '5') return more ? Rest::AboveHalf : Rest::Half;
    return first > '0' || more ? Rest::BelowHalf : Rest::Zero;
}

// The rest after the digits taken from `expansion`.
Rest RestAfter(DecimalExpansion& expansion) {
    const char first = expansion.Next();
    return RestOf(first, !expansion.RestIsZero());
}

// `digits` rounded by what they leave out to nearest, ties to even, as
// glibc's printf rounds in the default rounding mode; true when a carry ran
// out of the first digit and added one before it (9.99 -> 10.00).
bool RoundDigits(std::string& digits, Rest rest) {
    const bool odd = (digits.back() - '0') % 2 != 0;
    if (rest != Rest::AboveHalf && !(rest == Rest::Half && odd)) return false;
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i > 0) {
        ++digits[i - 1];
        return false;
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Fixed notation with `precision` digits after the point.
std::string Fixed(const BinaryFloat& value, int precision, bool alternate) {
    DecimalExpansion expansion(value);
    std::string digits = expansion.Integer();
    const std::size_t after = static_cast<std::size_t>(precision);
    digits.reserve(digits.size() + after + 1);
    for (std::size_t i = 0; i < after; ++i) digits += expansion.Next();
    RoundDigits(digits, RestAfter(expansion));
    const std::size_t whole = digits.size() - after;
    std::string text = digits.substr(0, whole);
    if (precision > 0 || alternate) text += '.';
    return text.append(digits, whole, std::string::npos);
}

std::string ExponentText(char letter, int exponent, int min_digits) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < static_cast<std::size_t>(min_digits)) digits.insert(0, min_digits - digits.size(), '0');
    return std::string(1, letter) + (exponent < 0 ? "-" : "+") + digits;
}

// The `precision` + 1 significant digits of exponent notation, rounded,
// and the exponent.
std::string ScientificDigits(const BinaryFloat& value, int precision, int& exponent) {
    const std::size_t wanted = static_cast<std::size_t>(precision) + 1;
    if (value.significand == 0) {
        exponent = 0;
        return std::string(wanted, '0');
    }
    DecimalExpansion expansion(value);
    const std::string& whole = expansion.Integer();
    std::string digits;
    digits.reserve(wanted + 1);
    Rest rest = Rest::Zero;
    if (whole != "0") {
        exponent = static_cast<int>(whole.size()) - 1;
        if (whole.size() > wanted) {
            digits = whole.substr(0, wanted);
            const bool more = whole.find_first_not_of('0', wanted + 1) != std::string::npos || !expansion.RestIsZero();
            rest = RestOf(whole[wanted], more);
        } else {
            digits = whole;
            while (digits.size() < wanted) digits += expansion.Next();
            rest = RestAfter(expansion);
        }
    } else {
        // Below 1, and not 0: the fraction has a digit that is not 0.
        exponent = -1;
        char first = expansion.Next();
        for (; first == '0'; first = expansion.Next()) --exponent;
        digits = std::string(1, first);
        while (digits.size() < wanted) digits += expansion.Next();
        rest = RestAfter(expansion);
    }
    if (RoundDigits(digits, rest)) {
        // 9.99 rounded up to 10.0: one more power of ten.
        ++exponent;
        digits.pop_back();
    }
    return digits;
}

std::string Scientific(const std::string& digits, int exponent, bool alternate, char letter) {
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1 || alternate) text += '.';
    return text.append(digits, 1, std::string::npos) + ExponentText(letter, exponent, 2);
}

std::string Scientific(const BinaryFloat& value, int precision, bool alternate, char letter) {
    int exponent = 0;
    const std::string digits = ScientificDigits(value, precision, exponent);
    return Scientific(digits, exponent, alternate, letter);
}

// %g as ISO C states it: with P significant digits (P = 1 for a precision
// of 0), and X the exponent %e would write with P digits, fixed notation
// with P - 1 - X digits after the point when P > X >= -4, else exponent
// notation; both round at the same place, so the P digits serve either.
// Without '#' no trailing zeros, nor a point without digits after it.
std::string General(const BinaryFloat& value, int precision, bool alternate, char letter) {
    const int significant = precision == 0 ? 1 : precision;
    int exponent = 0;
    const std::string digits = ScientificDigits(value, significant - 1, exponent);
    std::string text;
    if (significant > exponent && exponent >= -4) {
        if (exponent < 0) {
            text = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        } else {
            const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
            text = digits.substr(0, whole);
            if (digits.size() > whole || alternate) text += '.';
            text.append(digits, whole, std::string::npos);
        }
    } else {
        text = Scientific(digits, exponent, alternate, letter);
    }
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

// ---- The shortest decimal that reads back ------------------------------

// floor(n × log10(2)) or one less, for |n| < 20000: 0.30102999 lies just
// below log10(2) and 0.30103 just above, so each errs only downwards, by
// far less than 1.
int FloorLog10Pow2AtMost(long long n) {
    if (n >= 0) return static_cast<int>(n * 30102999 / 100000000);
    return -static_cast<int>((-n * 30103000 + 99999999) / 100000000);
}

// The shortest digits that read back (to nearest, ties to even) to a
// finite non-zero value, as 0.digits × 10^point, worked out on a number that
// grows: a long double's exponents need some 33000 bits.
std::string ShortestDigitsOf(const BinaryFloat& value, FloatFormat format, int& point) {
    const FormatLimits limits = LimitsOf(format);
    const std::uint64_t f = value.significand;
    const int e = value.exponent;
    // At a power of two the gap below is half the gap above.
    const bool narrow_below = f == std::uint64_t{1} << (limits.precision - 1) && e > limits.min_exponent;
    // v >= 2^(top - 1) >= 10^(point - 1): the first digit is never 0, but
    // `point` may be short.
    const long long top = Big(f).BitLength() + e;
    point = FloorLog10Pow2AtMost(top - 1) + 1;
    return ShortestDigits<Big>(f, e, narrow_below, point, [](Big& n, int k) { n.MultiplyByPower(10, k); });
}

}  // namespace

std::string ShortestFloatText(const BinaryFloat& value, FloatFormat format) {
    const std::string minus = value.negative ? "-" : "";
    if (value.kind == BinaryFloat::Infinity) return minus + "inf";
    if (value.kind == BinaryFloat::NaN) return minus + "nan";
    if (value.significand == 0) return minus + "0";
    int point = 0;
    const std::string digits = ShortestDigitsOf(value, format, point);
    return minus + ShortestDecimalText(digits, point);
}

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
