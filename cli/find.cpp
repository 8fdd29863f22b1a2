#include "cli/find.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_search.h"

const char kFindUsageHint[] =
    "Usage: quobrix find [--max-skip N] [--json] [--search] [FRAME...]; quobrix find --help tells more";

namespace {

// ---- The options -------------------------------------------------------

struct FindOptions {
    std::vector<std::string> frames;  // one hex text each; none: one a line of standard input
    std::size_t max_skip = 4;
    bool json = false;
    RecoveryMode recovery = RecoveryMode::kAuto;
};

// What the parser fills.
struct FindWords {
    std::vector<std::string> frames;
    std::string max_skip;
    CLI::Option* max_skip_option = nullptr;
    CLI::Option* json = nullptr;
    CLI::Option* search = nullptr;
    CLI::Option* no_search = nullptr;
};

bool Complete(const FindWords& words, FindOptions& options, std::string& error);
int RunFind(const FindOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupFind(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kFindSummary, kFindGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<FindWords>();
    given->max_skip_option = sub->add_option("--max-skip", given->max_skip);
    given->json = sub->add_flag("--json")->disable_flag_override();
    given->search = sub->add_flag("--search")->disable_flag_override();
    given->no_search = sub->add_flag("--no-search")->disable_flag_override();
    AddAllWords(*sub, "FRAME", given->frames);
    const std::string command = name;
    return {{sub},
            [given, command](const CLI::App& chosen, const std::vector<std::string>& leftover, CommandRun& run,
                             std::string& error) {
                FindOptions options;
                if (!NoStrayWords(chosen, leftover, command, error) || !Complete(*given, options, error)) return false;
                run = [options](const CliEnvironment& env, std::string& out, std::string& err) {
                    return RunFind(options, env, out, err);
                };
                return true;
            }};
}

namespace {

// ---- Judging the command line ------------------------------------------

// A count in decimal, at most `limit`.
bool ReadCount(const std::string& word, std::size_t limit, std::size_t& count) {
    if (word.empty() || word.size() > 3) return false;
    count = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        count = count * 10 + static_cast<std::size_t>(c - '0');
    }
    return count <= limit;
}

bool Complete(const FindWords& words, FindOptions& options, std::string& error) {
    if (words.max_skip_option->count() > 0 && !ReadCount(words.max_skip, kMaxSkipLimit, options.max_skip)) {
        error = "--max-skip takes a count of bytes from 0 to " + std::to_string(kMaxSkipLimit) + ", not '" +
                EscapeBytes(words.max_skip) + "'";
        return false;
    }
    const bool search = words.search->count() > 0, no_search = words.no_search->count() > 0;
    if (search && no_search) {
        error = "--search and --no-search exclude each other";
        return false;
    }
    options.recovery = search ? RecoveryMode::kAlways : no_search ? RecoveryMode::kNever : RecoveryMode::kAuto;
    options.json = words.json->count() > 0;
    options.frames = words.frames;
    return true;
}

// ---- The input ---------------------------------------------------------

// More frames than anyone pastes; standard input beyond it is an error.
constexpr std::size_t kMaxInputBytes = std::size_t{1} << 20;

// A frame's text with its number (from 1) for messages.
struct NumberedLine {
    std::size_t number;
    std::string text;
};

// The frames of standard input: one a line, blank lines skipped, numbered by
// their lines.
std::vector<NumberedLine> FrameLines(const std::string& input) {
    std::vector<NumberedLine> lines;
    std::size_t start = 0;
    for (std::size_t number = 1; start < input.size(); ++number) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back({number, line});
        start = end + 1;
    }
    return lines;
}

// The frames of the arguments, or of standard input's lines.
bool ReadFrames(const FindOptions& options, const CliEnvironment& env, std::vector<Bytes>& frames,
                std::string& error) {
    std::vector<NumberedLine> texts;
    std::string source = "frame ";
    if (!options.frames.empty()) {
        for (std::size_t i = 0; i < options.frames.size(); ++i) texts.push_back({i + 1, options.frames[i]});
    } else {
        std::string input;
        if (!env.read_stdin(kMaxInputBytes + 1, input, error)) {
            error = "cannot read standard input: " + error;
            return false;
        }
        if (input.size() > kMaxInputBytes) {
            error = "standard input holds more than " + std::to_string(kMaxInputBytes >> 20) + " MiB of frames";
            return false;
        }
        texts = FrameLines(input);
        source = "line ";
        if (texts.empty()) {
            error = "no frames: give them as arguments, or one a line on standard input";
            return false;
        }
    }
    for (const NumberedLine& text : texts) {
        Bytes bytes;
        if (!ReadHexBytes(text.text, source + std::to_string(text.number), bytes, error)) return false;
        frames.push_back(std::move(bytes));
    }
    return true;
}

// ---- The output --------------------------------------------------------

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char kDigits[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kDigits[c >> 4];
            quoted += kDigits[c & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

const char* JsonBool(bool value) { return value ? "true" : "false"; }

std::string OrderWord(const FrameMatch& match) { return CheckOrderWord(match.order, match.method.byte_count()); }

std::string JsonObject(const FrameMatch& match) {
    const CheckMethod& method = match.method;
    std::string object = "{\"name\": " + (match.recovered ? std::string("null") : JsonString(method.Label())) +
                         ", \"width\": " + std::to_string(method.width());
    if (method.is_crc()) {
        const CrcParams& p = method.crc_params();
        object += ", \"poly\": \"" + CrcCatalogueNumber(p.poly, p.width) + "\", \"init\": \"" +
                  CrcCatalogueNumber(p.init, p.width) + "\", \"refin\": " + JsonBool(p.refin) +
                  ", \"refout\": " + JsonBool(p.refout) + ", \"xorout\": \"" +
                  CrcCatalogueNumber(p.xorout, p.width) + "\"";
    }
    return object + ", \"order\": \"" + OrderWord(match) + "\", \"head\": " + std::to_string(match.head) +
           ", \"tail\": " + std::to_string(match.tail) + ", \"recovered\": " + JsonBool(match.recovered) + "}";
}

// "CRC-16/MODBUS le head=0 tail=0", or for a recovered CRC its parameter
// line with check and residue, then the same words.
std::string FindLine(const FrameMatch& match) {
    // A recovered CRC's line is set off by two blanks, as its words are many.
    const std::string gap = match.recovered ? "  " : " ";
    return match.method.Label() + gap + OrderWord(match) + " head=" + std::to_string(match.head) +
           " tail=" + std::to_string(match.tail);
}

// A JSON array, one object a line: name (null for a recovered CRC), width,
// the CRC's parameters, order, head, tail, recovered.
std::string FindJson(const std::vector<FrameMatch>& matches) {
    if (matches.empty()) return "[]\n";
    std::string json = "[\n";
    for (std::size_t i = 0; i < matches.size(); ++i) {
        json += "  " + JsonObject(matches[i]) + (i + 1 < matches.size() ? ",\n" : "\n");
    }
    return json + "]\n";
}

std::string NothingFound(const FindOptions& options, const FrameSearchResult& result) {
    std::string note = "nothing explains these frames; try a larger --max-skip (it is " +
                       std::to_string(options.max_skip) + ")";
    return note + (result.recovery_ran ? " or more frames" : ", more frames, or --search to recover an unknown CRC");
}

// ---- The run -----------------------------------------------------------

int RunFind(const FindOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::vector<Bytes> frames;
    std::string error;
    if (!ReadFrames(options, env, frames, error)) {
        err += kPrefix + error + "\n";
        return kExitUsage;
    }
    FrameSearchOptions search;
    search.max_skip = options.max_skip;
    search.recovery = options.recovery;
    const FrameSearchResult result = SearchFrames(frames, search);
    if (options.json) {
        out += FindJson(result.matches);
    } else {
        for (const FrameMatch& match : result.matches) out += FindLine(match) + "\n";
    }
    if (result.recovery_ambiguous) {
        err += kPrefix + "these frames cannot tell the recovered CRCs apart; more frames would\n";
    }
    if (result.recovery_equivalent) {
        err += kPrefix + "some recovered CRCs give the same check for every message: any of them will do\n";
    }
    if (!result.recovery_need.empty()) err += kPrefix + "recovery cannot decide: " + result.recovery_need + "\n";
    if (result.matches.empty()) {
        err += kPrefix + NothingFound(options, result) + "\n";
        return kExitMessageBox;
    }
    if (frames.size() == 1) {
        err += kPrefix + "one frame: a check may hold on it by chance; more frames rule such lines out\n";
    }
    return kExitReport;
}

}  // namespace
