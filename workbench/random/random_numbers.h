// Random integers in any 64-bit range without modulo bias, floats in a
// half-open range, unique draws, from any source of 64-bit words: the
// system's secure generator (read by the caller, who knows the system) or
// xoshiro256** seeded through SplitMix64 for data that repeats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class RandomWords {
public:
    virtual ~RandomWords() = default;
    virtual std::uint64_t Next() = 0;
};

// SplitMix64 (Steele, Lea and Flood; Vigna's splitmix64.c): the seeding
// that xoshiro's authors recommend.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();

private:
    std::uint64_t state_;
};

// xoshiro256** 1.0 (Blackman and Vigna), its four words of state filled by
// SplitMix64 from the seed, as rand_xoshiro's seed_from_u64 and Vigna's own
// advice do.
class Xoshiro256StarStar : public RandomWords {
public:
    explicit Xoshiro256StarStar(std::uint64_t seed);
    // The state as given: for the reference vectors, which start from one.
    explicit Xoshiro256StarStar(const std::uint64_t (&state)[4]);
    std::uint64_t Next() override;

private:
    std::uint64_t s_[4];
};

// Words from a source of bytes (the system's generator), fetched a block at
// a time; little-endian, so the same bytes give the same words everywhere.
// The source returns false when it failed; then Next() returns 0 and
// failed() holds.
class ByteSourceWords : public RandomWords {
public:
    using Fill = std::function<bool(unsigned char* bytes, std::size_t size)>;
    explicit ByteSourceWords(Fill fill) : fill_(std::move(fill)) {}
    std::uint64_t Next() override;
    bool failed() const { return failed_; }

private:
    Fill fill_;
    unsigned char block_[4096] = {};
    std::size_t used_ = sizeof block_;
    bool failed_ = false;
};

// A uniform integer in [0, span]: Lemire's multiply-and-reject, so every
// value is equally likely (x % n favours the low values when n does not
// divide 2^64). A span of 2^64 - 1 is the word itself.
std::uint64_t UniformUpTo(RandomWords& words, std::uint64_t span);

// The range LO..HI of integers, as "1..6", "-5..5", "0..0xFFFFFFFFFFFFFFFF":
// decimal or 0x hex, signed when either end has a '-' (then within int64),
// else unsigned (within uint64).
struct IntegerRange {
    std::uint64_t lo = 0, hi = 0;  // as two's complement when signed
    bool is_signed = false;
    std::uint64_t Span() const { return hi - lo; }  // HI - LO, wrapping
};
bool ParseIntegerRange(const std::string& text, IntegerRange& range, std::string& error);

// LO..HI of floats (decimal numbers), finite, LO < HI. Each end is the
// double nearest its decimal, subnormal ones (1e-310) too; one below the
// smallest subnormal rounds to zero, as strtod rounds it.
bool ParseFloatRange(const std::string& text, double& lo, double& hi, std::string& error);

// Unique or sorted values are held until the last is drawn: so many at most
// (8 bytes each, and a unique draw about as much again to find repeats).
constexpr std::uint64_t kMaxHeldIntegers = std::uint64_t{1} << 26;

// Told between blocks of a long piece of work how far it has come, `done`
// of `total`; false asks the work to stop there. A window's worker shows the
// first and gives the user a way to say the second.
using WorkProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// `count` integers in the range, at most kMaxHeldIntegers; unique: no value
// twice, and an error when the range holds fewer than `count`. `progress`,
// when set, hears of the values drawn of `count`; false from it ends the
// draw with an error.
bool DrawIntegers(RandomWords& words, const IntegerRange& range, std::uint64_t count, bool unique,
                  std::vector<std::uint64_t>& values, std::string& error, const WorkProgress& progress = {});

// Sorts `values` in place into the order IntegerLess gives them: a radix
// sort, a byte at a time from the top, in no more memory than the values
// (tens of millions of words sort in a fraction of std::sort's time, and
// each block of work asks `progress`, with the values in their final place,
// whether to go on). False when `progress` said stop; the values are then
// in some order.
bool SortIntegers(std::vector<std::uint64_t>& values, bool is_signed, const WorkProgress& progress = {});

// A double as a word that orders as the double does (-inf < -1 < -0 < 0 <
// 1 < inf), and back: so doubles sort as words, in the same memory. NaN has
// no place in a range and is not looked after.
std::uint64_t DoubleOrderWord(double value);
double DoubleOfOrderWord(std::uint64_t word);

// A uniform double in [lo, hi): 53 random bits scaled, and drawn again in the
// rare case that rounding gives hi.
double UniformDouble(RandomWords& words, double lo, double hi);

// The value as the range prints it: signed or unsigned decimal.
std::string IntegerText(std::uint64_t value, bool is_signed);
void AppendIntegerText(std::uint64_t value, bool is_signed, std::string& out);
// Orders values as the range reads them (signed values as signed).
bool IntegerLess(std::uint64_t a, std::uint64_t b, bool is_signed);
