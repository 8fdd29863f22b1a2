#include "core/floatconv.h"

#include <cstring>

#include "core/big_unsigned.h"
#include "core/binary_format.h"

namespace {

// The bits (without sign) of the value (q + t) * 2^exp2 in `format`, rounded
// to nearest, ties to even, where q != 0 and 0 < t < 1 exactly when `sticky`.
std::uint64_t RoundToFormat(std::uint64_t q, bool sticky, int exp2, const BinaryFormat& format) {
    while ((q >> 63) == 0) {  // bring the leading one to bit 63
        q <<= 1;
        --exp2;
    }
    int exponent = 63 + exp2;  // the value lies in [2^exponent, 2^(exponent+1))
    int keep = format.significand_bits;
    const bool subnormal = exponent < format.min_exponent;
    if (subnormal) keep -= format.min_exponent - exponent;
    if (keep < 0) return 0;  // below half the smallest subnormal
    const int drop = 64 - keep;  // 11..64
    std::uint64_t m = drop == 64 ? 0 : q >> drop;
    const bool round_bit = (q >> (drop - 1)) & 1u;
    const std::uint64_t below_round = q & ((std::uint64_t{1} << (drop - 1)) - 1);
    if (round_bit && (below_round != 0 || sticky || (m & 1u))) ++m;
    // A subnormal is stored with a zero exponent field; a carry out of it
    // lands exactly on the smallest normal's encoding.
    if (subnormal) return m;
    if (m >> format.significand_bits) {
        m >>= 1;
        ++exponent;
    }
    if (exponent > format.max_exponent) return InfinityBits(format);
    const std::uint64_t fraction = m & ((std::uint64_t{1} << (format.significand_bits - 1)) - 1);
    return (static_cast<std::uint64_t>(exponent + format.max_exponent) << (format.significand_bits - 1)) |
           fraction;
}

// Rounding a decimal needs at most 768 significant digits (the longest exact
// midpoint between two doubles); beyond kMaxDigits only "some non-zero digit
// follows" matters, kept as one extra digit 1.
constexpr int kMaxDigits = 800;
// Decimal exponents outside these bounds give infinity or zero at once:
// 10^309 exceeds the largest double, 10^-324 is below half the smallest
// subnormal (2.47e-324).
constexpr int kLargestDecimalExponent = 308;
constexpr int kSmallestDecimalExponent = -324;
constexpr int kExponentLimit = 1000000000;  // exponent digits saturate here

// Bits of 10^n, rounded up: log2(10) < 3.3220.
constexpr int BitsOfPowerOf10(int n) { return n * 33220 / 10000 + 1; }
// The division in ReadDecimalNumber works on numbers of about the size of
// 10^(digits - smallest exponent), shifted by 64 bits, plus one spare word.
static_assert(BitsOfPowerOf10(kMaxDigits + 1 - kSmallestDecimalExponent + 1) + 64 + 32 <= BigUnsigned::kBits,
              "BigUnsigned too small for the longest decimal");

bool IsCSpace(char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

struct Decimal {
    unsigned char digits[kMaxDigits + 1];  // significant digits, the first non-zero
    int count = 0;
    bool dropped_non_zero = false;
    long long point = 0;  // the value is 0.digits * 10^point

    void Add(char ch) {
        if (count < kMaxDigits) {
            digits[count++] = static_cast<unsigned char>(ch - '0');
        } else if (ch != '0') {
            dropped_non_zero = true;
        }
    }
};

// (D / S) rounded to `format`, for D, S > 0.
std::uint64_t DivideToFormat(BigUnsigned& d, BigUnsigned& s, const BinaryFormat& format) {
    // Scale so that the quotient lies in [2^62, 2^64): 64 quotient bits and
    // the remainder decide the rounding.
    const int k = 63 + s.BitLength() - d.BitLength();
    if (k > 0) {
        d.ShiftLeft(k);
    } else {
        s.ShiftLeft(-k);
    }
    s.ShiftLeft(63);
    std::uint64_t q = 0;
    for (int bit = 63; bit >= 0; --bit) {
        if (Compare(d, s) >= 0) {
            d.Subtract(s);
            q |= std::uint64_t{1} << bit;
        }
        s.ShiftRightOne();
    }
    return RoundToFormat(q, !d.IsZero(), -k, format);
}

// The bounds are the double's; a single's range lies within them.
std::uint64_t DecimalToBits(Decimal& decimal, const BinaryFormat& format) {
    if (decimal.dropped_non_zero) decimal.digits[decimal.count++] = 1;
    const long long leading_exponent = decimal.point - 1;  // value in [10^that, 10^(that+1))
    if (leading_exponent > kLargestDecimalExponent) return InfinityBits(format);
    if (leading_exponent < kSmallestDecimalExponent) return 0;

    BigUnsigned d;
    for (int i = 0; i < decimal.count;) {
        std::uint32_t chunk = 0, scale = 1;
        for (int j = 0; j < 9 && i < decimal.count; ++j, ++i) {
            chunk = chunk * 10 + decimal.digits[i];
            scale *= 10;
        }
        d.MultiplyAdd(scale, chunk);
    }
    // value = d * 10^exponent10; the bounds above keep it small.
    const int exponent10 = static_cast<int>(decimal.point - decimal.count);
    BigUnsigned s(1);
    if (exponent10 >= 0) {
        d.MultiplyByPowerOf10(exponent10);
    } else {
        s.MultiplyByPowerOf10(-exponent10);
    }
    return DivideToFormat(d, s, format);
}

// Appends to `out` without running past its end.
struct TextWriter {
    char* out;
    int size;
    int length = 0;
    void Put(char ch) {
        if (length + 1 < size) out[length] = ch;
        ++length;
    }
    void Put(const char* text) {
        while (*text) Put(*text++);
    }
    void Finish() {
        if (size > 0) out[length < size ? length : size - 1] = '\0';
    }
};

// The smallest subnormal, 2^-1074, is 4.9e-324: scaling it up to
// kMaxGeneralPrecision + 2 digits multiplies its 53-bit significand by
// 10^(kMaxGeneralPrecision - kSmallestDecimalExponent).
static_assert(53 + BitsOfPowerOf10(kMaxGeneralPrecision - kSmallestDecimalExponent) + 32 <= BigUnsigned::kBits,
              "BigUnsigned too small for the smallest double's digits");

// The first `precision` significant digits of a finite non-zero double,
// rounded to nearest, ties to even, as the exact decimal expansion would
// round: only those digits, the next one and whether any beyond is non-zero
// are computed, not the whole expansion (hundreds of digits for small values).
struct RoundedDigits {
    char digits[kMaxGeneralPrecision];
    int leading_exponent = 0;  // the rounded value lies in [10^that, 10^(that+1))
};

void RoundToDigits(std::uint64_t bits, int precision, RoundedDigits& rounded) {
    std::uint64_t significand = 0;
    int exp2 = 0;
    Decompose(bits, kDouble, significand, exp2);
    // value = significand * 2^exp2 lies in [2^(top - 1), 2^top), so its
    // decimal exponent is `estimate` or one more.
    const int top = BitLength(significand) + exp2;
    const int estimate = FloorLog10Pow2(top - 1);

    // n = floor(value * 10^scale) has precision + 1 or precision + 2 digits;
    // `sticky`: the floor dropped a non-zero fraction.
    const int scale = precision - estimate;
    BigUnsigned n(significand);
    if (exp2 > 0) n.ShiftLeft(exp2);
    if (scale > 0) n.MultiplyByPowerOf10(scale);
    bool sticky = false;
    if (exp2 < 0) {
        sticky = n.AnyBitBelow(-exp2);
        n.ShiftRight(-exp2);
    }
    if (scale < 0) {
        // 10^9 is the largest power of ten that fits a word.
        int down = -scale;
        for (; down >= 9; down -= 9) sticky = n.DivideSmall(1000000000u) != 0 || sticky;
        std::uint32_t rest = 1;
        for (; down > 0; --down) rest *= 10;
        sticky = n.DivideSmall(rest) != 0 || sticky;
    }

    constexpr int kChunkDigits = 9;
    char reversed[kMaxGeneralPrecision + 2 + kChunkDigits];
    int count = 0;
    while (!n.IsZero()) {
        std::uint32_t chunk = n.DivideSmall(1000000000u);
        for (int j = 0; j < kChunkDigits; ++j, chunk /= 10) reversed[count++] = static_cast<char>('0' + chunk % 10);
    }
    while (count > 1 && reversed[count - 1] == '0') --count;
    char digits[sizeof reversed];
    for (int i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
    rounded.leading_exponent = estimate;
    if (count == precision + 2) {  // the exponent is one more: one more digit to drop
        sticky = sticky || digits[precision + 1] != '0';
        ++rounded.leading_exponent;
    }

    const char next = digits[precision];
    const bool odd = (digits[precision - 1] - '0') % 2 != 0;
    const bool up = next > '5' || (next == '5' && (sticky || odd));
    if (up) {
        int i = precision - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {  // 99..9 became 100..0
            digits[0] = '1';
            ++rounded.leading_exponent;
        }
    }
    for (int i = 0; i < precision; ++i) rounded.digits[i] = digits[i];
}

void WriteGeneral(const RoundedDigits& rounded, int precision, TextWriter& writer) {
    const int x = rounded.leading_exponent;
    // The digits that are shown: trailing zeros go.
    int shown = precision;
    while (shown > 1 && rounded.digits[shown - 1] == '0') --shown;
    if (x >= -4 && x < precision) {
        if (x >= 0) {
            for (int i = 0; i <= x; ++i) writer.Put(rounded.digits[i]);
            if (shown > x + 1) {
                writer.Put('.');
                for (int i = x + 1; i < shown; ++i) writer.Put(rounded.digits[i]);
            }
        } else {
            writer.Put("0.");
            for (int i = -1; i > x; --i) writer.Put('0');
            for (int i = 0; i < shown; ++i) writer.Put(rounded.digits[i]);
        }
        return;
    }
    writer.Put(rounded.digits[0]);
    if (shown > 1) {
        writer.Put('.');
        for (int i = 1; i < shown; ++i) writer.Put(rounded.digits[i]);
    }
    writer.Put('e');
    writer.Put(x < 0 ? '-' : '+');
    const int magnitude = x < 0 ? -x : x;
    if (magnitude >= 100) writer.Put(static_cast<char>('0' + magnitude / 100));
    writer.Put(static_cast<char>('0' + magnitude / 10 % 10));
    writer.Put(static_cast<char>('0' + magnitude % 10));
}

// The bits of the number at the start of `text` in `format`, with the sign
// on top; `end` is where it ends, `text` itself when there is none.
std::uint64_t ReadDecimal(const char* text, const BinaryFormat& format, const char*& end) {
    end = text;
    const char* p = text;
    while (IsCSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';

    Decimal decimal;
    bool any_digit = false;
    for (; IsDigit(*p); ++p) {
        any_digit = true;
        if (decimal.count == 0 && *p == '0') continue;  // a leading zero
        decimal.Add(*p);
        ++decimal.point;
    }
    if (*p == '.') {
        for (++p; IsDigit(*p); ++p) {
            any_digit = true;
            if (decimal.count == 0 && *p == '0') {
                --decimal.point;
                continue;
            }
            decimal.Add(*p);
        }
    }
    if (!any_digit) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        bool negative_exponent = false;
        if (*q == '+' || *q == '-') negative_exponent = *q++ == '-';
        long long exponent = 0;
        bool any_exponent_digit = false;
        for (; IsDigit(*q); ++q) {
            any_exponent_digit = true;
            exponent = exponent * 10 + (*q - '0');
            if (exponent > kExponentLimit) exponent = kExponentLimit;
        }
        if (any_exponent_digit) {
            decimal.point += negative_exponent ? -exponent : exponent;
            p = q;
        }
    }
    end = p;

    std::uint64_t bits = decimal.count == 0 ? 0 : DecimalToBits(decimal, format);
    if (negative) bits |= std::uint64_t{1} << SignShift(format);
    return bits;
}

}  // namespace

double ReadDecimalNumber(const char* text, const char** end) {
    const char* stop = text;
    const double value = DoubleFromBits(ReadDecimal(text, kDouble, stop));
    if (end != nullptr) *end = stop;
    return value;
}

float ReadDecimalSingle(const char* text, const char** end) {
    const char* stop = text;
    const float value = SingleFromBits(static_cast<std::uint32_t>(ReadDecimal(text, kSingle, stop)));
    if (end != nullptr) *end = stop;
    return value;
}

float ToSingle(double value) {
    const std::uint64_t bits = DoubleBits(value);
    const std::uint32_t sign = static_cast<std::uint32_t>(bits >> 63) << 31;
    const int field = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (field == 0x7FF) {
        // Infinity stays infinity; a NaN keeps its sign and the top of its
        // payload and becomes quiet, as the processor's conversion does.
        const std::uint32_t payload = static_cast<std::uint32_t>(fraction >> 29);
        return SingleFromBits(sign | 0x7F800000u | (fraction != 0 ? 0x00400000u | payload : 0u));
    }
    if (field == 0 && fraction == 0) return SingleFromBits(sign);
    std::uint64_t significand = 0;
    int exp2 = 0;
    Decompose(bits, kDouble, significand, exp2);
    return SingleFromBits(sign | static_cast<std::uint32_t>(RoundToFormat(significand, false, exp2, kSingle)));
}

std::uint32_t SingleBits(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::uint64_t DoubleBits(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float SingleFromBits(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double DoubleFromBits(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int FormatGeneral(double value, int precision, char* out, int size) {
    if (precision < 1) precision = 1;
    if (precision > kMaxGeneralPrecision) precision = kMaxGeneralPrecision;
    TextWriter writer{out, size};
    const std::uint64_t bits = DoubleBits(value);
    if (bits >> 63) writer.Put('-');
    const std::uint64_t magnitude = bits & ~(std::uint64_t{1} << 63);
    if ((magnitude >> 52) == 0x7FF) {
        writer.Put((magnitude & ((std::uint64_t{1} << 52) - 1)) != 0 ? "nan" : "inf");
    } else if (magnitude == 0) {
        writer.Put('0');
    } else {
        RoundedDigits rounded;
        RoundToDigits(magnitude, precision, rounded);
        WriteGeneral(rounded, precision, writer);
    }
    writer.Finish();
    return writer.length;
}
