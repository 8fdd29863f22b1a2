#include "cli/random.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

#include "cli/array.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "core/hexdump.h"
#include "i18n/translate.h"
#include "workbench/c_array/c_array_writer.h"
#include "workbench/numbers/shortest_float.h"
#include "workbench/random/random_numbers.h"

#ifdef _WIN32
// Without its min and max macros, which would break std::min and
// numeric_limits' max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

const char kRandomUsageHint[] =
    "Usage: quobrix random --range LO..HI | --float LO..HI | --bytes; quobrix random --help tells more";

namespace {

using i18n::Format;
using i18n::Tr;

// ---- The options -------------------------------------------------------

enum class RandomKind { Integers, Floats, Bytes };
enum class RandomFormat { Lines, Hex, CArray };

struct RandomOptions {
    RandomKind kind = RandomKind::Integers;
    RandomFormat format = RandomFormat::Lines;
    std::uint64_t count = 1;
    IntegerRange range;
    double lo = 0, hi = 1;
    bool unique = false;
    bool sorted = false;
    bool seeded = false;
    std::uint64_t seed = 0;
    std::string name = "data";
};

// What the parser fills.
struct RandomArgs {
    std::string count, range, floats, seed, format, name;
    CLI::Option* count_option = nullptr;
    CLI::Option* range_option = nullptr;
    CLI::Option* float_option = nullptr;
    CLI::Option* bytes = nullptr;
    CLI::Option* unique = nullptr;
    CLI::Option* sort = nullptr;
    CLI::Option* seed_option = nullptr;
    CLI::Option* format_option = nullptr;
    CLI::Option* name_option = nullptr;
    std::vector<std::string> stray;
};

bool Complete(const RandomArgs& words, const CLI::App& chosen, RandomOptions& options, std::string& error);
CArrayFormat ArrayFormat(const RandomOptions& options, const std::string& name);
int RunRandom(const RandomOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupRandom(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kRandomSummary, kRandomGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<RandomArgs>();
    given->count_option = sub->add_option("--count", given->count);
    given->range_option = sub->add_option("--range", given->range);
    given->float_option = sub->add_option("--float", given->floats);
    given->bytes = sub->add_flag("--bytes")->disable_flag_override();
    given->unique = sub->add_flag("--unique")->disable_flag_override();
    given->sort = sub->add_flag("--sort")->disable_flag_override();
    given->seed_option = sub->add_option("--seed", given->seed);
    given->format_option = sub->add_option("--format", given->format);
    given->name_option = sub->add_option("--name", given->name);
    AddAllWords(*sub, "WORDS", given->stray);
    return OneSubcommandParse<RandomArgs, RandomOptions>(sub, given, name, Complete, RunRandom);
}

namespace {

// ---- Judging the command line ------------------------------------------

// Decimal, or 0x and hex digits, within 64 bits.
bool ReadUnsigned(const std::string& text, std::uint64_t& value) {
    IntegerRange range;
    std::string unused;
    if (text.empty() || text[0] == '-' || text[0] == '+' || !ParseIntegerRange(text + ".." + text, range, unused)) {
        return false;
    }
    value = range.lo;
    return true;
}

bool CompleteKind(const RandomArgs& words, RandomOptions& options, std::string& error) {
    const int kinds = static_cast<int>(words.range_option->count() > 0) +
                      static_cast<int>(words.float_option->count() > 0) + static_cast<int>(words.bytes->count() > 0);
    if (kinds != 1) {
        error = kinds == 0 ? Tr("say what to draw: --range LO..HI, --float LO..HI or --bytes")
                           : Tr("--range, --float and --bytes exclude each other");
        return false;
    }
    if (words.range_option->count() > 0) {
        options.kind = RandomKind::Integers;
        if (!ParseIntegerRange(words.range, options.range, error)) {
            error = "--range: " + error;
            return false;
        }
    } else if (words.float_option->count() > 0) {
        options.kind = RandomKind::Floats;
        if (!ParseFloatRange(words.floats, options.lo, options.hi, error)) {
            error = "--float: " + error;
            return false;
        }
    } else {
        options.kind = RandomKind::Bytes;
        options.format = RandomFormat::Hex;
    }
    return true;
}

bool CompleteFormat(const RandomArgs& words, RandomOptions& options, std::string& error) {
    if (words.format_option->count() > 0) {
        if (words.format == "lines") {
            options.format = RandomFormat::Lines;
        } else if (words.format == "hex") {
            options.format = RandomFormat::Hex;
        } else if (words.format == "c") {
            options.format = RandomFormat::CArray;
        } else {
            error = Format(Tr("--format '%1$s' is none of lines hex c"), {EscapeBytes(words.format)});
            return false;
        }
    }
    // Bytes one to a line would need a notation of their own; --range 0..255
    // writes them so in decimal.
    if (words.format_option->count() > 0 && options.format == RandomFormat::Lines &&
        options.kind == RandomKind::Bytes) {
        error = Tr("--format lines writes --range and --float; --bytes are written as hex or c (or one to a line, "
                   "in decimal, by --range 0..255)");
        return false;
    }
    if (options.format == RandomFormat::Hex && options.kind != RandomKind::Bytes) {
        error = Tr("--format hex writes --bytes");
        return false;
    }
    if (options.format == RandomFormat::CArray && options.kind == RandomKind::Floats) {
        error = Tr("--format c writes integers and bytes, not --float");
        return false;
    }
    if (words.name_option->count() > 0) {
        if (options.format != RandomFormat::CArray) {
            error = Tr("--name goes with --format c");
            return false;
        }
        const CArrayFormat format = ArrayFormat(options, words.name);
        const std::string problem = CArrayNameProblem(words.name, format);
        if (!problem.empty()) {
            error = Format(Tr("--name '%1$s' %2$s"), {EscapeBytes(words.name), problem});
            return false;
        }
        options.name = words.name;
    }
    return true;
}

bool Complete(const RandomArgs& words, const CLI::App&, RandomOptions& options, std::string& error) {
    if (!words.stray.empty()) {
        error = Format(Tr("'%1$s' is no option of random (its values follow --count, --range, ...)"),
                       {EscapeBytes(words.stray.front())});
        return false;
    }
    if (!CompleteKind(words, options, error) || !CompleteFormat(words, options, error)) return false;
    if (words.count_option->count() > 0 && (!ReadUnsigned(words.count, options.count) || options.count == 0)) {
        error = Format(Tr("--count '%1$s' is no number from 1 up (decimal or 0x hex)"), {EscapeBytes(words.count)});
        return false;
    }
    if (words.seed_option->count() > 0) {
        options.seeded = true;
        if (!ReadUnsigned(words.seed, options.seed)) {
            error = Format(Tr("--seed '%1$s' is no number from 0 to 2^64 - 1 (decimal or 0x hex)"),
                           {EscapeBytes(words.seed)});
            return false;
        }
    }
    options.unique = words.unique->count() > 0;
    options.sorted = words.sort->count() > 0;
    if (options.unique && options.kind != RandomKind::Integers) {
        error = Tr("--unique goes with --range");
        return false;
    }
    if (options.sorted && options.kind == RandomKind::Bytes) {
        error = Tr("--sort goes with --range or --float");
        return false;
    }
    if ((options.unique || options.sorted) && options.count > kMaxHeldIntegers) {
        error = Format(Tr("--count %1$s: --unique and --sort hold at most %2$s numbers (2^26) until the last is drawn"),
                       {std::to_string(options.count), std::to_string(kMaxHeldIntegers)});
        return false;
    }
    if (options.unique && options.range.Span() != std::numeric_limits<std::uint64_t>::max() &&
        options.count > options.range.Span() + 1) {
        error = Format(Tr("--unique: the range %1$s holds %2$s values, fewer than --count %3$s"),
                       {words.range, std::to_string(options.range.Span() + 1), std::to_string(options.count)});
        return false;
    }
    return true;
}

// ---- The system's generator --------------------------------------------

bool SystemRandomBytes(unsigned char* bytes, std::size_t size) {
#ifdef _WIN32
    return BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
#elif defined(__linux__)
    // getrandom fills a whole block a call, where getentropy stops at 256
    // bytes; a signal may cut it short.
    for (std::size_t at = 0; at < size;) {
        const ssize_t got = getrandom(bytes + at, size - at, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += static_cast<std::size_t>(got);
    }
    return true;
#else
    // getentropy gives at most 256 bytes a call.
    constexpr std::size_t kMaxCall = 256;
    for (std::size_t at = 0; at < size; at += kMaxCall) {
        if (getentropy(bytes + at, std::min(kMaxCall, size - at)) != 0) return false;
    }
    return true;
#endif
}

// ---- The output --------------------------------------------------------

// The narrowest C type that holds every value of the range.
CArrayFormat IntegerArrayFormat(const RandomOptions& options) {
    CArrayFormat format;
    format.decimal = true;
    format.is_signed = options.range.is_signed;
    const IntegerRange& r = options.range;
    for (const int size : {1, 2, 4, 8}) {
        format.element_size = size;
        if (size == 8) break;
        const int bits = 8 * size;
        if (r.is_signed) {
            const std::uint64_t half = std::uint64_t{1} << (bits - 1);
            if (!IntegerLess(r.lo, 0 - half, true) && IntegerLess(r.hi, half, true)) break;
        } else if (r.hi < (std::uint64_t{1} << bits)) {
            break;
        }
    }
    return format;
}

std::string FloatText(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return ShortestDoubleText(bits);
}

// ---- The run -----------------------------------------------------------

// Values between two reports of how far a run has come.
constexpr std::uint64_t kProgressEvery = std::uint64_t{1} << 16;

// The array --format c writes, named `name`: bytes, or integers of the range's type.
CArrayFormat ArrayFormat(const RandomOptions& options, const std::string& name) {
    CArrayFormat format = options.kind == RandomKind::Bytes ? CArrayFormat() : IntegerArrayFormat(options);
    format.name = name;
    return format;
}

// The environment's hooks as the library's callback for one phase of a
// draw (drawing, then sorting, each of `count` values): how far the whole
// run has come, and whether it goes on. None when nobody listens.
WorkProgress PhaseProgress(const CliEnvironment& env, std::uint64_t count, int phase, int phases) {
    if (!env.progress && !env.cancelled) return {};
    return [&env, count, phase, phases](std::uint64_t done, std::uint64_t) {
        if (env.progress) {
            env.progress(static_cast<std::uint64_t>(phase) * count + done, static_cast<std::uint64_t>(phases) * count);
        }
        return !(env.cancelled && env.cancelled());
    };
}

int RunRandom(const RandomOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::unique_ptr<RandomWords> words;
    ByteSourceWords* system = nullptr;
    if (options.seeded) {
        words = std::make_unique<Xoshiro256StarStar>(options.seed);
    } else {
        auto source = std::make_unique<ByteSourceWords>(SystemRandomBytes);
        system = source.get();
        words = std::move(source);
    }
    std::unique_ptr<CArrayWriter> writer;
    if (options.format == RandomFormat::CArray) {
        writer = std::make_unique<CArrayWriter>(ArrayFormat(options, options.name));
        writer->Begin(out);
    }
    // Values held until the last is drawn: drawing is one phase, sorting another.
    const bool held = options.sorted || options.unique;
    const int phases = options.sorted ? 2 : 1;
    const WorkProgress drawing = PhaseProgress(env, options.count, 0, held ? phases : 1);
    // Every value as it comes, in the chosen form, flushed a block at a time.
    std::uint64_t written_values = 0;
    const auto put = [&](std::uint64_t value, bool& ok) {
        if (writer) {
            writer->Element(value, out);
        } else if (options.kind == RandomKind::Integers) {
            AppendIntegerText(value, options.range.is_signed, out);
            out += '\n';
        } else {
            // 16 bytes to a line, "%02X " apart.
            char piece[kSpacedHexLength];
            const auto byte = static_cast<unsigned char>(value);
            WriteSpacedHex(&byte, 1, piece);
            const bool last_on_line = written_values % 16 == 15 || written_values + 1 == options.count;
            out.append(piece, 2);
            out += last_on_line ? '\n' : ' ';
        }
        ++written_values;
        // Values written as they are drawn are how far the draw has come.
        if (!held && drawing && written_values % kProgressEvery == 0) drawing(written_values, options.count);
        // Zeros of a failed generator are no random numbers: none goes out.
        ok = (system == nullptr || !system->failed()) && FlushArrayText(env, out, false);
    };
    bool ok = true;
    if (options.kind == RandomKind::Floats) {
        // Sorted as words that order as the doubles do: in place, and stopped
        // when the run is cancelled.
        std::vector<std::uint64_t> values;
        for (std::uint64_t i = 0; i < options.count && ok; ++i) {
            const double value = UniformDouble(*words, options.lo, options.hi);
            if (drawing && (i + 1) % kProgressEvery == 0) ok = drawing(i + 1, options.count);
            if (options.sorted) {
                values.push_back(DoubleOrderWord(value));
                continue;
            }
            out += FloatText(value) + "\n";
            ok = ok && (system == nullptr || !system->failed()) && FlushArrayText(env, out, false);
        }
        if (ok && !SortIntegers(values, false, PhaseProgress(env, options.count, 1, phases))) ok = false;
        for (std::size_t i = 0; i < values.size() && ok; ++i) {
            out += FloatText(DoubleOfOrderWord(values[i])) + "\n";
            if (i % kProgressEvery == 0) ok = FlushArrayText(env, out, false);
        }
    } else if (options.kind == RandomKind::Bytes) {
        for (std::uint64_t i = 0; i < options.count && ok; i += 8) {
            const std::uint64_t word = words->Next();
            for (std::uint64_t k = 0; k < 8 && i + k < options.count && ok; ++k) put(word >> (8 * k) & 0xFF, ok);
        }
    } else if (held) {
        std::vector<std::uint64_t> values;
        std::string error;
        if (!DrawIntegers(*words, options.range, options.count, options.unique, values, error, drawing)) {
            err += kPrefix + error + "\n";
            return kExitUsage;
        }
        if (options.sorted &&
            !SortIntegers(values, options.range.is_signed, PhaseProgress(env, options.count, 1, phases))) {
            return kExitUsage;
        }
        for (std::size_t i = 0; i < values.size() && ok; ++i) put(values[i], ok);
    } else {
        const std::uint64_t span = options.range.Span();
        for (std::uint64_t i = 0; i < options.count && ok; ++i) put(options.range.lo + UniformUpTo(*words, span), ok);
    }
    if (system != nullptr && system->failed()) {
        out.clear();
        err += kPrefix + Tr("the system's random generator failed") + "\n";
        return kExitUsage;
    }
    if (!ok) return kExitUsage;
    if (writer) {
        std::string unused;
        writer->End(out, unused);
    }
    return FlushArrayText(env, out, true) ? kExitReport : kExitUsage;
}

}  // namespace

const CliCommand kRandomCommand = {"random", SetupRandom, RandomHelpSection, RandomHelp, kRandomUsageHint};
