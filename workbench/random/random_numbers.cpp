#include "workbench/random/random_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;

std::uint64_t RotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// The high and low words of a * b, in 32-bit halves: the same on every
// compiler, 128-bit integers or none.
void Multiply64(std::uint64_t a, std::uint64_t b, std::uint64_t& high, std::uint64_t& low) {
    const std::uint64_t a_lo = a & 0xFFFFFFFFu, a_hi = a >> 32;
    const std::uint64_t b_lo = b & 0xFFFFFFFFu, b_hi = b >> 32;
    const std::uint64_t lo_lo = a_lo * b_lo;
    const std::uint64_t hi_lo = a_hi * b_lo;
    const std::uint64_t lo_hi = a_lo * b_hi;
    const std::uint64_t hi_hi = a_hi * b_hi;
    const std::uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xFFFFFFFFu) + lo_hi;
    high = hi_hi + (hi_lo >> 32) + (middle >> 32);
    low = (middle << 32) | (lo_lo & 0xFFFFFFFFu);
}

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// One end of a range: decimal or 0x hex, an optional sign; `negative` and
// the magnitude. False when it is no such number or exceeds 64 bits.
bool ReadEnd(const std::string& text, bool& negative, std::uint64_t& magnitude) {
    std::size_t pos = 0;
    negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int base = 10;
    if (text.compare(pos, 2, "0x") == 0 || text.compare(pos, 2, "0X") == 0) {
        base = 16;
        pos += 2;
    }
    if (pos == text.size()) return false;
    magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit = 99;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit >= base) return false;
        const auto d = static_cast<std::uint64_t>(digit);
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - d) / static_cast<std::uint64_t>(base)) {
            return false;
        }
        magnitude = magnitude * static_cast<std::uint64_t>(base) + d;
    }
    return true;
}

bool SplitRange(const std::string& text, std::string& lo, std::string& hi, std::string& error) {
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) {
        error = Format(Tr("'%1$s' is no range LO..HI"), {text});
        return false;
    }
    lo = text.substr(0, dots);
    hi = text.substr(dots + 2);
    return true;
}

// The values of a unique draw so far, to find a repeat: a table of
// positions in the values (4 bytes a slot, at most half of them used, probed
// one after another) where a set of nodes spent about 40 bytes a value.
class DrawnValues {
public:
    DrawnValues(std::vector<std::uint64_t>& values, std::size_t count) : values_(values) {
        std::size_t slots = 16;
        while (slots < 2 * count) slots *= 2;
        slots_.assign(slots, kEmpty);
        for (std::size_t size = slots; size > 1; size /= 2) --shift_;
    }

    void AddIfNew(std::uint64_t value) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = Hash(value);; slot = (slot + 1) & mask) {
            if (slots_[slot] == kEmpty) {
                slots_[slot] = static_cast<std::uint32_t>(values_.size());
                values_.push_back(value);
                return;
            }
            if (values_[slots_[slot]] == value) return;
        }
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    // Fibonacci hashing (Knuth): the top bits of value times 2^64 / phi, so
    // that values close together land far apart.
    std::size_t Hash(std::uint64_t value) const {
        return static_cast<std::size_t>((value * 0x9E3779B97F4A7C15u) >> shift_);
    }

    std::vector<std::uint64_t>& values_;
    std::vector<std::uint32_t> slots_;
    int shift_ = 64;  // 64 - log2 of the slots
};

// How far a long piece of work has come, told to a WorkProgress every
// kReportEvery steps rather than at each: a call through std::function per
// value would cost more than the value.
class ProgressWatch {
public:
    static constexpr std::uint64_t kReportEvery = std::uint64_t{1} << 16;

    ProgressWatch(const WorkProgress& progress, std::uint64_t total) : progress_(progress), total_(total) {}

    // `steps` more are done; false once the work is to stop.
    bool Advance(std::uint64_t steps) {
        done_ += steps;
        if (!stopped_ && progress_ && done_ >= next_report_) {
            next_report_ = done_ + kReportEvery;
            stopped_ = !progress_(done_, total_);
        }
        return !stopped_;
    }
    // Asks now, in the midst of a long step.
    bool Ask() {
        if (!stopped_ && progress_) stopped_ = !progress_(done_, total_);
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    const WorkProgress& progress_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::uint64_t next_report_ = 0;
    bool stopped_ = false;
};

// Below so many values a bucket is left to std::sort: a count of 256 digits
// costs more than it saves.
constexpr std::size_t kSmallBucket = 256;

// American flag sort (McIlroy, Bostic and McIlroy, "Engineering radix
// sort"): the values are counted by their byte at `shift`, each moved
// straight to its byte's bucket by swaps, and each bucket sorted by the
// next byte down. Equal words cannot be told apart, so any correct order is
// std::sort's order.
void FlagSort(std::uint64_t* values, std::size_t size, int shift, ProgressWatch& watch) {
    std::size_t counts[256];
    for (;;) {
        // The first passes over many values take a while: asked at each.
        if (watch.stopped() || (size > ProgressWatch::kReportEvery && !watch.Ask())) return;
        if (size <= kSmallBucket) {
            std::sort(values, values + size);
            watch.Advance(size);
            return;
        }
        std::fill(std::begin(counts), std::end(counts), std::size_t{0});
        for (std::size_t i = 0; i < size; ++i) ++counts[(values[i] >> shift) & 0xFF];
        // A byte that all share (small numbers' high bytes) sorts nothing:
        // on to the next without moving a value.
        if (counts[(values[0] >> shift) & 0xFF] != size) break;
        if (shift == 0) {
            watch.Advance(size);
            return;
        }
        shift -= 8;
    }
    std::size_t next[256], end[256];
    std::size_t at = 0;
    for (int b = 0; b < 256; ++b) {
        next[b] = at;
        at += counts[b];
        end[b] = at;
    }
    for (int b = 0; b < 256; ++b) {
        // Each swap puts one value in its bucket for good.
        while (next[b] < end[b]) {
            std::uint64_t value = values[next[b]];
            for (std::size_t digit = (value >> shift) & 0xFF; static_cast<int>(digit) != b;
                 digit = (value >> shift) & 0xFF) {
                std::swap(value, values[next[digit]++]);
            }
            values[next[b]++] = value;
        }
        if (size > ProgressWatch::kReportEvery && !watch.Ask()) return;
    }
    std::size_t start = 0;
    for (int b = 0; b < 256 && !watch.stopped(); ++b) {
        if (shift == 0) {
            watch.Advance(counts[b]);
        } else if (counts[b] > 1) {
            FlagSort(values + start, counts[b], shift - 8, watch);
        } else {
            watch.Advance(counts[b]);
        }
        start += counts[b];
    }
}

}  // namespace

std::uint64_t SplitMix64::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

Xoshiro256StarStar::Xoshiro256StarStar(std::uint64_t seed) {
    SplitMix64 mix(seed);
    for (std::uint64_t& word : s_) word = mix.Next();
}

Xoshiro256StarStar::Xoshiro256StarStar(const std::uint64_t (&state)[4]) {
    for (int i = 0; i < 4; ++i) s_[i] = state[i];
}

std::uint64_t Xoshiro256StarStar::Next() {
    const std::uint64_t result = RotateLeft(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = RotateLeft(s_[3], 45);
    return result;
}

std::uint64_t ByteSourceWords::Next() {
    if (used_ + 8 > sizeof block_) {
        if (!failed_ && !fill_(block_, sizeof block_)) failed_ = true;
        if (failed_) return 0;
        used_ = 0;
    }
    std::uint64_t word = 0;
    for (int k = 7; k >= 0; --k) word = word << 8 | block_[used_ + static_cast<std::size_t>(k)];
    used_ += 8;
    return word;
}

std::uint64_t UniformUpTo(RandomWords& words, std::uint64_t span) {
    if (span == std::numeric_limits<std::uint64_t>::max()) return words.Next();
    const std::uint64_t n = span + 1;
    std::uint64_t high = 0, low = 0;
    Multiply64(words.Next(), n, high, low);
    if (low < n) {
        // 2^64 mod n products fall short of a whole run of n: rejecting
        // them leaves every high word equally often.
        const std::uint64_t threshold = (0 - n) % n;
        while (low < threshold) Multiply64(words.Next(), n, high, low);
    }
    return high;
}

bool ParseIntegerRange(const std::string& text, IntegerRange& range, std::string& error) {
    std::string lo_text, hi_text;
    if (!SplitRange(text, lo_text, hi_text, error)) return false;
    bool lo_negative = false, hi_negative = false;
    std::uint64_t lo = 0, hi = 0;
    for (const auto& end : {std::make_pair(&lo_text, std::make_pair(&lo_negative, &lo)),
                            std::make_pair(&hi_text, std::make_pair(&hi_negative, &hi))}) {
        if (!ReadEnd(*end.first, *end.second.first, *end.second.second)) {
            error = Format(Tr("'%1$s' in the range '%2$s' is no integer (decimal or 0x hex, within 64 bits)"),
                           {*end.first, text});
            return false;
        }
    }
    range.is_signed = lo_negative || hi_negative;
    if (range.is_signed) {
        for (const auto& end : {std::make_pair(lo_negative, lo), std::make_pair(hi_negative, hi)}) {
            if (end.first ? end.second > kSignBit : end.second >= kSignBit) {
                error = Format(Tr("the range '%1$s' has a negative end, so both lie within int64, "
                                  "-9223372036854775808 to 9223372036854775807"),
                               {text});
                return false;
            }
        }
    }
    range.lo = lo_negative ? 0 - lo : lo;
    range.hi = hi_negative ? 0 - hi : hi;
    if (IntegerLess(range.hi, range.lo, range.is_signed)) {
        error = Format(Tr("the range '%1$s' ends below its start"), {text});
        return false;
    }
    return true;
}

bool ParseFloatRange(const std::string& text, double& lo, double& hi, std::string& error) {
    std::string lo_text, hi_text;
    if (!SplitRange(text, lo_text, hi_text, error)) return false;
    for (const auto& end : {std::make_pair(&lo_text, &lo), std::make_pair(&hi_text, &hi)}) {
        const std::string& s = *end.first;
        char* stop = nullptr;
        // strtod says ERANGE for a subnormal result too, which is a double
        // like any other; one too large is infinite, refused below.
        *end.second = s.empty() || std::isspace(static_cast<unsigned char>(s[0])) ? 0 : std::strtod(s.c_str(), &stop);
        if (s.empty() || stop != s.c_str() + s.size() || !std::isfinite(*end.second) ||
            s.find_first_of("xXpP") != std::string::npos) {
            error = Format(Tr("'%1$s' in the range '%2$s' is no finite decimal number"), {s, text});
            return false;
        }
    }
    if (!(lo < hi) || !std::isfinite(hi - lo)) {
        error = Format(Tr("the range '%1$s' is empty or wider than a double holds (LO < HI)"), {text});
        return false;
    }
    return true;
}

namespace {

bool DrawnAll(RandomWords& words, const IntegerRange& range, std::uint64_t count, bool unique,
              std::vector<std::uint64_t>& values, std::string& error, ProgressWatch& watch) {
    const std::uint64_t span = range.Span();
    if (!unique) {
        values.reserve(static_cast<std::size_t>(count));
        for (std::uint64_t i = 0; i < count && watch.Advance(1); ++i) {
            values.push_back(range.lo + UniformUpTo(words, span));
        }
        return true;
    }
    if (span != std::numeric_limits<std::uint64_t>::max() && count > span + 1) {
        error = Format(Tr("the range holds %1$s values, fewer than the %2$s unique ones asked for"),
                       {std::to_string(span + 1), std::to_string(count)});
        return false;
    }
    if (span < 2 * count) {
        // Most of the range is drawn: the first `count` of a shuffle of it
        // (Fisher and Yates), each draw from the values not yet taken,
        // shuffled in place and kept.
        values.resize(static_cast<std::size_t>(span) + 1);
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = range.lo + i;
        for (std::size_t i = 0; i < count && watch.Advance(1); ++i) {
            const auto j = i + static_cast<std::size_t>(UniformUpTo(words, values.size() - 1 - i));
            std::swap(values[i], values[j]);
        }
        values.resize(static_cast<std::size_t>(count));
        return true;
    }
    // A sparse draw: a value seen before is drawn again, at most half the time.
    values.reserve(static_cast<std::size_t>(count));
    DrawnValues drawn(values, static_cast<std::size_t>(count));
    while (values.size() < count && watch.Advance(1)) drawn.AddIfNew(range.lo + UniformUpTo(words, span));
    return true;
}

}  // namespace

bool DrawIntegers(RandomWords& words, const IntegerRange& range, std::uint64_t count, bool unique,
                  std::vector<std::uint64_t>& values, std::string& error, const WorkProgress& progress) {
    values.clear();
    if (count > kMaxHeldIntegers) {
        error = Format(Tr("%1$s values are more than a draw holds (%2$s)"),
                       {std::to_string(count), std::to_string(kMaxHeldIntegers)});
        return false;
    }
    ProgressWatch watch(progress, count);
    if (!DrawnAll(words, range, count, unique, values, error, watch)) return false;
    if (watch.stopped()) {
        values.clear();
        error = Tr("the draw was stopped");
        return false;
    }
    return true;
}

bool SortIntegers(std::vector<std::uint64_t>& values, bool is_signed, const WorkProgress& progress) {
    // Signed values order as unsigned ones once their sign bit is flipped.
    if (is_signed) {
        for (std::uint64_t& value : values) value ^= kSignBit;
    }
    ProgressWatch watch(progress, values.size());
    if (!values.empty()) FlagSort(values.data(), values.size(), 56, watch);
    if (is_signed) {
        for (std::uint64_t& value : values) value ^= kSignBit;
    }
    return !watch.stopped();
}

std::uint64_t DoubleOrderWord(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    // Negative doubles order backwards as words, and below the positive ones.
    return bits & kSignBit ? ~bits : bits | kSignBit;
}

double DoubleOfOrderWord(std::uint64_t word) {
    const std::uint64_t bits = word & kSignBit ? word & ~kSignBit : ~word;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double UniformDouble(RandomWords& words, double lo, double hi) {
    for (;;) {
        const double unit = static_cast<double>(words.Next() >> 11) * 0x1.0p-53;
        // Each step rounded once to a double (the 32-bit builds compile this
        // file for SSE2, see CMakeLists.txt), and stored, so that no
        // compiler fuses the two into one rounding: a value kept wider than
        // a double could pass the test below and round to hi on its way out.
        volatile double scaled = (hi - lo) * unit;
        volatile double value = lo + scaled;
        if (value < hi) return value;
    }
}

void AppendIntegerText(std::uint64_t value, bool is_signed, std::string& out) {
    // Digits by hand: a million numbers spent most of their time in snprintf.
    char digits[24];
    char* end = digits + sizeof digits;
    char* begin = end;
    const bool negative = is_signed && value >= kSignBit;
    std::uint64_t magnitude = negative ? 0 - value : value;
    do {
        *--begin = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--begin = '-';
    out.append(begin, static_cast<std::size_t>(end - begin));
}

std::string IntegerText(std::uint64_t value, bool is_signed) {
    std::string text;
    AppendIntegerText(value, is_signed, text);
    return text;
}

bool IntegerLess(std::uint64_t a, std::uint64_t b, bool is_signed) {
    return is_signed ? (a ^ kSignBit) < (b ^ kSignBit) : a < b;
}
