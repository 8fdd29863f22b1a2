#include "workbench_window/pages/command_pages.h"

#include <algorithm>
#include <cstdint>

#include "cli/command_line.h"
#include "cli/file_stream.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "core/hexdump.h"
#include "workbench/parts/e_series.h"

namespace command_pages {

namespace {

const CliCommand kPageCommandRows[] = {kArrayCommand, kPartsCommand, kFilterCommand, kPrintfCommand, kRandomCommand};
const CliCommandTable kPageCommands = {kPageCommandRows, sizeof kPageCommandRows / sizeof kPageCommandRows[0]};

// A page has no standard input: its bytes come from its boxes and files.
// A file read tells `watch` how far it has come and stops when cancelled;
// the command checks the rest.
CliEnvironment PageEnvironment(const RunWatch& watch) {
    CliEnvironment env;
    env.read_stdin = [](std::size_t, std::string& bytes, std::string&) {
        bytes.clear();
        return true;
    };
    env.stream_stdin = [](const ConsumeBlock&, std::string&) { return true; };
    env.stream_file = [watch](const std::string& path, const ConsumeBlock& consume, std::string& error) {
        std::uint64_t size = 0, read = 0;
        const bool sized = watch.progress && FileSize(path, size);
        const ConsumeBlock counted = [&](const char* bytes, std::size_t n) {
            read += n;
            if (sized) watch.progress(read, size);
            consume(bytes, n);
        };
        bool stopped = false;
        if (!StreamUnchangedFile(path, counted, error, watch.cancelled, &stopped)) return false;
        if (!stopped) return true;
        error = "cancelled";
        return false;
    };
    env.cancelled = watch.cancelled;
    env.progress = watch.progress;
    return env;
}

Outcome RunWith(const std::vector<std::string>& words, const CliEnvironment& env) {
    Outcome outcome;
    outcome.command = ShellLine(words);
    std::string err;
    outcome.status = RunCli(words, env, outcome.out, err, kPageCommands);
    for (const std::string& line : MessageLines(err)) outcome.err += line + "\n";
    outcome.cancelled = env.cancelled && env.cancelled();
    return outcome;
}

// The lines of a box, without their CR and without a last empty line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void AddOption(std::vector<std::string>& words, const char* option, const std::string& value) {
    if (value.empty()) return;
    words.push_back(option);
    words.push_back(value);
}

void AddFlag(std::vector<std::string>& words, const char* flag, bool given) {
    if (given) words.push_back(flag);
}

}  // namespace

Outcome RunCommand(const std::vector<std::string>& words, std::size_t shown_limit, const RunWatch& watch) {
    std::string shown;
    bool cut = false;
    CliEnvironment env = PageEnvironment(watch);
    env.write_stdout = [&](const std::string& bytes) {
        const std::size_t room = shown_limit - shown.size();
        shown.append(bytes, 0, std::min(room, bytes.size()));
        // Enough to show: the run ends as it would on a closed pipe.
        if (bytes.size() > room) cut = true;
        return !cut;
    };
    Outcome outcome = RunWith(words, env);
    // What the run kept back is the rest, unless a write was refused: then
    // it may be what was refused.
    if (cut) {
        outcome.out = shown;
    } else if (shown.size() + outcome.out.size() > shown_limit) {
        outcome.out = shown + outcome.out.substr(0, shown_limit - shown.size());
        cut = true;
    } else {
        outcome.out = shown + outcome.out;
    }
    outcome.cut = cut;
    // The write that was refused is the page's, not the user's fault.
    if (cut && !outcome.cancelled) {
        outcome.status = 0;
        outcome.err.clear();
    }
    return outcome;
}

Outcome RunCommandInto(const std::vector<std::string>& words, const WriteBlock& write, const RunWatch& watch) {
    bool refused = false;
    std::uint64_t written = 0;
    CliEnvironment env = PageEnvironment(watch);
    env.write_stdout = [&](const std::string& bytes) {
        refused = refused || !write(bytes);
        written += bytes.size();
        if (!refused && watch.written) watch.written(written);
        return !refused;
    };
    Outcome outcome = RunWith(words, env);
    if (outcome.status == 0 && !outcome.out.empty()) env.write_stdout(outcome.out);
    // Cancelled at the last block: the run is still no answer.
    if (!outcome.cancelled && watch.cancelled && watch.cancelled()) {
        outcome.cancelled = true;
        outcome.status = kExitUsage;
        outcome.err = "cancelled\n";
    }
    outcome.out.clear();
    // A command stops quietly on a closed pipe; a page's file is no pipe.
    if (refused) {
        if (outcome.status == 0) outcome.status = kExitUsage;
        if (outcome.err.empty()) outcome.err = "the output could not be written\n";
    }
    return outcome;
}

Outcome RunCommandToFile(const std::vector<std::string>& words, const std::string& path, const RunWatch& watch) {
    Outcome outcome;
    std::string error;
    // A cancelled run fails as any failed run does, through WriteOutputFile's
    // own path, which removes what it wrote and keeps what was there.
    const bool saved = WriteOutputFile(
        path,
        [&](const WriteBlock& write) {
            outcome = RunCommandInto(words, write, watch);
            return outcome.status == 0;
        },
        error);
    if (!saved && !error.empty()) {
        // The command's own message, if any, said the output was refused:
        // the file's reason says why.
        outcome.status = kExitUsage;
        outcome.err = "cannot write " + path + ": " + error + "\n";
    }
    return outcome;
}

std::string ShellLine(const std::vector<std::string>& words) {
    std::string line = "quobrix";
    for (const std::string& word : words) {
        const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   std::string("-_.,:/+=%@").find(c) != std::string::npos;
        });
        line += ' ';
        if (plain) {
            line += word;
            continue;
        }
        // 'it'\''s': a quote ends the quoted part, stands escaped, and a new one starts.
        line += '\'';
        for (const char c : word) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += '\'';
    }
    return line;
}

std::string HexLines(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        text += SpacedHex(data + at, std::min<std::size_t>(16, bytes.size() - at)) + "\n";
    }
    return text;
}

// ---- 文件->数组 ---------------------------------------------------------

std::vector<std::string> ArrayWords(const ArrayFields& fields) {
    std::vector<std::string> words = {"array"};
    if (fields.reverse) {
        words.push_back("--reverse");
        AddOption(words, "--type", fields.type);
        // Back from C text: the box holds it, whether it was typed as text or hex.
        if (fields.source == ArraySource::kFile) {
            words.insert(words.end(), {"--", fields.file});
        } else {
            words.insert(words.end(), {"--text", fields.input});
        }
        return words;
    }
    AddOption(words, "--name", fields.name);
    AddOption(words, "--type", fields.type);
    AddFlag(words, "--pad", fields.pad);
    AddOption(words, "--per-line", fields.per_line);
    AddFlag(words, "--decimal", fields.decimal);
    AddFlag(words, "--static", fields.is_static);
    AddFlag(words, "--mutable", fields.is_mutable);
    AddFlag(words, "--header", fields.header);
    AddFlag(words, "--crc", fields.crc);
    switch (fields.source) {
        case ArraySource::kFile: words.insert(words.end(), {"--", fields.file}); break;
        case ArraySource::kHex: words.insert(words.end(), {"--hex", fields.input}); break;
        case ArraySource::kText: words.insert(words.end(), {"--text", fields.input}); break;
    }
    return words;
}

// ---- 元件值选型 ---------------------------------------------------------

std::vector<std::string> PartsWords(PartsJob job, const PartsFields& fields) {
    std::vector<std::string> words = {"parts"};
    switch (job) {
        case PartsJob::kNearest:
            AddOption(words, "--series", fields.series);
            words.push_back(fields.value);
            break;
        case PartsJob::kDivider:
            words.push_back("divider");
            AddOption(words, "--series", fields.series);
            AddOption(words, "--total", fields.total);
            AddOption(words, "--count", fields.count);
            words.push_back(fields.vin);
            words.push_back(fields.vout);
            break;
        case PartsJob::kCode: {
            words.insert(words.end(), {"code", fields.kind});
            // Colour bands are words apart; a code is one word.
            std::size_t start = 0;
            bool any = false;
            while ((start = fields.code.find_first_not_of(" \t,", start)) != std::string::npos) {
                const std::size_t end = std::min(fields.code.find_first_of(" \t,", start), fields.code.size());
                words.push_back(fields.code.substr(start, end - start));
                any = true;
                start = end;
            }
            if (!any) words.push_back("");
            break;
        }
        case PartsJob::kMark:
            words.insert(words.end(), {"mark", fields.kind});
            AddOption(words, "--tolerance", fields.tolerance);
            AddOption(words, "--tempco", fields.tempco);
            words.push_back(fields.value);
            break;
    }
    return words;
}

std::vector<std::string> SeriesNames() {
    std::vector<std::string> names;
    for (const ESeries& series : ESeriesList()) names.emplace_back(series.name);
    return names;
}

// ---- 滤波器选型 ---------------------------------------------------------

namespace {

const char* FilterName(FilterKind kind) {
    switch (kind) {
        case FilterKind::kLc: return "lc";
        case FilterKind::kSallenKey: return "sallen-key";
        default: return "rc";
    }
}

}  // namespace

std::vector<std::string> FilterDesignWords(const FilterFields& fields) {
    std::vector<std::string> words = {"filter", FilterName(fields.kind)};
    if (fields.kind == FilterKind::kRcLowPass) words.push_back("--lowpass");
    if (fields.kind == FilterKind::kRcHighPass) words.push_back("--highpass");
    if (fields.kind == FilterKind::kSallenKey) AddOption(words, "--q", fields.q);
    if (fields.kind != FilterKind::kLc) AddOption(words, "--r-series", fields.r_series);
    AddOption(words, "--c-series", fields.c_series);
    if (fields.kind == FilterKind::kLc) AddOption(words, "--l-series", fields.l_series);
    AddOption(words, "--count", fields.count);
    words.push_back(fields.frequency);
    return words;
}

std::vector<std::string> FilterFrequencyWords(const FilterFields& fields) {
    std::vector<std::string> words = {"filter", FilterName(fields.kind)};
    // Every part is given, empty or not, so that a missing one is named.
    switch (fields.kind) {
        case FilterKind::kLc: words.insert(words.end(), {"--l", fields.l, "--c", fields.c1}); break;
        case FilterKind::kSallenKey:
            words.insert(words.end(), {"--r1", fields.r1, "--r2", fields.r2, "--c1", fields.c1, "--c2", fields.c2});
            break;
        default: words.insert(words.end(), {"--r", fields.r1, "--c", fields.c1}); break;
    }
    return words;
}

// ---- Printf函数 ---------------------------------------------------------

std::vector<std::string> PrintfWords(const PrintfFields& fields, bool explain) {
    std::vector<std::string> words = {"printf"};
    AddFlag(words, "--raw", fields.raw);
    AddFlag(words, "--explain", explain);
    // After "--" an argument such as -inf is no option.
    words.insert(words.end(), {"--", fields.format});
    for (const std::string& argument : Lines(fields.arguments)) words.push_back(argument);
    return words;
}

PrintfAnswer Format(const PrintfFields& fields, std::size_t shown_limit, const RunWatch& watch) {
    PrintfAnswer answer;
    answer.outcome = RunCommand(PrintfWords(fields, false), shown_limit, watch);
    if (answer.outcome.status != 0) return answer;
    if (!answer.outcome.cut) {
        // --explain writes the same text, then its table.
        const Outcome explained = RunCommand(PrintfWords(fields, true), shown_limit + (1u << 16), watch);
        if (explained.status == 0 && explained.out.compare(0, answer.outcome.out.size(), answer.outcome.out) == 0) {
            answer.table = explained.out.substr(answer.outcome.out.size());
        }
    } else {
        // A text longer than the page shows still has its table, after every
        // byte of the text: counted first, then passed over.
        std::uint64_t text_size = 0;
        RunCommandInto(
            PrintfWords(fields, false),
            [&text_size](const std::string& bytes) {
                text_size += bytes.size();
                return true;
            },
            watch);
        std::uint64_t passed = 0;
        RunCommandInto(PrintfWords(fields, true), [&](const std::string& bytes) {
            const std::uint64_t skip = std::min<std::uint64_t>(text_size - passed, bytes.size());
            passed += skip;
            const std::size_t rest = bytes.size() - static_cast<std::size_t>(skip);
            answer.table.append(bytes, static_cast<std::size_t>(skip),
                                std::min(rest, shown_limit - std::min(shown_limit, answer.table.size())));
            return true;
        }, watch);
    }
    if (watch.cancelled && watch.cancelled()) {
        answer.outcome.cancelled = true;
        answer.outcome.status = kExitUsage;
        answer.table.clear();
    }
    // The text need not end its line; the table starts on one of its own.
    if (!answer.table.empty() && answer.table.front() == '\n') answer.table.erase(0, 1);
    return answer;
}

// ---- 随机数集合 ---------------------------------------------------------

std::vector<std::string> RandomWords(const RandomFields& fields) {
    std::vector<std::string> words = {"random"};
    AddOption(words, "--count", fields.count);
    switch (fields.kind) {
        case RandomKind::kIntegers:
            words.insert(words.end(), {"--range", fields.low + ".." + fields.high});
            AddFlag(words, "--unique", fields.unique);
            break;
        case RandomKind::kFloats: words.insert(words.end(), {"--float", fields.low + ".." + fields.high}); break;
        case RandomKind::kBytes: words.push_back("--bytes"); break;
    }
    if (fields.kind != RandomKind::kBytes) AddFlag(words, "--sort", fields.sort);
    if (fields.c_array) {
        words.insert(words.end(), {"--format", "c"});
        AddOption(words, "--name", fields.name);
    }
    AddOption(words, "--seed", fields.seed);
    return words;
}

}  // namespace command_pages
