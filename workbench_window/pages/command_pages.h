// The logic of the workbench window's pages that stand for one command each,
// without a window: 文件->数组 (quobrix array), 元件值选型 (quobrix parts),
// 滤波器选型 (quobrix filter), Printf函数 (quobrix printf) and 随机数集合
// (quobrix random). A page's fields make the command's words, and the
// command runs in-process, so that the page answers what the command line
// answers, with its messages, and shows the command line it stands for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/environment.h"

namespace command_pages {

// A run of a page's command.
struct Outcome {
    int status = 0;       // the command's exit status: 0 its answer, else its messages
    std::string command;  // as typed in a shell: quobrix parts --series E24 4.8k
    std::string out;      // standard output, or its first `shown_limit` bytes
    std::string err;      // the messages, without "quobrix: ", a line each
    bool cut = false;     // out is the first bytes of a longer output
    bool cancelled = false;  // stopped by RunWatch::cancelled (then status is not 0)
};

// What a page's worker asks of a run and hears from it. Each is called on
// the thread of the run; any may be unset.
struct RunWatch {
    // Asked between blocks of the work: true stops the run promptly, as an
    // error, and a file being saved is not kept.
    std::function<bool()> cancelled;
    // How far the work has come where its amount is known: bytes read of
    // the file's size, values drawn and sorted of the values asked for.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // The bytes of output so far (a save's size on its way).
    std::function<void(std::uint64_t bytes)> written;
};

// Runs `words` (those after "quobrix") with nothing on standard input.
// Output beyond `shown_limit` bytes is not kept: a page shows that much and
// the run stops soon after it (cut), rather than fill the memory.
Outcome RunCommand(const std::vector<std::string>& words, std::size_t shown_limit, const RunWatch& watch = {});
// The same, every byte of the output handed to `write` as it comes; false
// from `write` stops the run with an error.
Outcome RunCommandInto(const std::vector<std::string>& words, const WriteBlock& write, const RunWatch& watch = {});

// The same into the file named `path` (UTF-8), which is replaced only when
// the run succeeded and every byte was written: a failed or cancelled run
// leaves the file that was there, or none. The messages then say why,
// naming the file when writing it failed.
Outcome RunCommandToFile(const std::vector<std::string>& words, const std::string& path, const RunWatch& watch = {});

// The command line a page stands for, as a POSIX shell takes it: each word
// that needs it in single quotes.
std::string ShellLine(const std::vector<std::string>& words);

// Bytes as hex, "%02X " apart, 16 to a line.
std::string HexLines(const std::string& bytes);

// ---- 文件->数组 ---------------------------------------------------------

enum class ArraySource { kFile, kHex, kText };

struct ArrayFields {
    bool reverse = false;  // C text back to bytes
    ArraySource source = ArraySource::kFile;
    std::string file;   // UTF-8
    std::string input;  // the box: hex digits, a text, or with reverse C text
    std::string name, type = "u8", per_line;  // "" is the command's default
    bool decimal = false, is_static = false, is_mutable = false, header = false, crc = false, pad = false;
};

std::vector<std::string> ArrayWords(const ArrayFields& fields);

// ---- 元件值选型 ---------------------------------------------------------

enum class PartsJob { kNearest, kDivider, kCode, kMark };

struct PartsFields {
    std::string kind = "resistor";  // resistor, capacitor or inductor
    std::string series;             // "" is the command's default
    std::string value;              // kNearest's and kMark's
    std::string tolerance, tempco;  // kMark's, a resistor's: % and ppm/K, "" the command's default
    std::string vin, vout, total, count;  // kDivider's
    std::string code;  // kCode's: a code, or colours apart by blanks
};

std::vector<std::string> PartsWords(PartsJob job, const PartsFields& fields);

// The series a page offers, E3 to E192, as the commands name them.
std::vector<std::string> SeriesNames();

// ---- 滤波器选型 ---------------------------------------------------------

enum class FilterKind { kRcLowPass, kRcHighPass, kLc, kSallenKey };

struct FilterFields {
    FilterKind kind = FilterKind::kRcLowPass;
    std::string frequency, q, r_series, c_series, l_series, count;  // for the parts of a frequency
    std::string r1, r2, c1, c2, l;  // for the frequency of parts: rc takes r1 and c1, lc l and c1
};

// The best parts for `frequency`.
std::vector<std::string> FilterDesignWords(const FilterFields& fields);
// The frequency (and Q) the parts give.
std::vector<std::string> FilterFrequencyWords(const FilterFields& fields);

// ---- Printf函数 ---------------------------------------------------------

struct PrintfFields {
    std::string format;
    std::string arguments;  // one to a line; a last empty line is no argument
    bool raw = false;       // the format's backslashes are backslashes
};

std::vector<std::string> PrintfWords(const PrintfFields& fields, bool explain);

struct PrintfAnswer {
    Outcome outcome;    // the run without --explain: its text, or its messages
    std::string table;  // --explain's table: each conversion's argument and type
};

PrintfAnswer Format(const PrintfFields& fields, std::size_t shown_limit, const RunWatch& watch = {});

// ---- 随机数集合 ---------------------------------------------------------

enum class RandomKind { kIntegers, kFloats, kBytes };

struct RandomFields {
    RandomKind kind = RandomKind::kIntegers;
    std::string count, low, high, seed, name;  // "" is the command's default; no seed: the system's generator
    bool unique = false, sort = false;
    bool c_array = false;  // else lines (integers, floats) or hex (bytes)
};

std::vector<std::string> RandomWords(const RandomFields& fields);

}  // namespace command_pages
