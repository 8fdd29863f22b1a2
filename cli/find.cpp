#include "cli/find.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "workbench/crc/model_text.h"
#include "workbench/frames/frame_search.h"

const char kFindUsageHint[] =
    "Usage: quobrix find [--max-skip N] [--json] [--all] [--search | --no-search] [FRAME...]; "
    "quobrix find --help tells more";

namespace {

// ---- The options -------------------------------------------------------

struct FindOptions {
    std::vector<std::string> frames;  // one hex text each; none: one a line of standard input
    std::size_t max_skip = 4;
    bool json = false;
    bool all = false;  // weak explanations too
    RecoveryMode recovery = RecoveryMode::kAuto;
};

// What the parser fills.
struct FindWords {
    std::vector<std::string> frames;
    std::string max_skip;
    CLI::Option* max_skip_option = nullptr;
    CLI::Option* json = nullptr;
    CLI::Option* all = nullptr;
    CLI::Option* search = nullptr;
    CLI::Option* no_search = nullptr;
};

bool Complete(const FindWords& words, const CLI::App& chosen, FindOptions& options, std::string& error);
int RunFind(const FindOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupFind(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kFindSummary, kFindGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<FindWords>();
    given->max_skip_option = sub->add_option("--max-skip", given->max_skip);
    given->json = sub->add_flag("--json")->disable_flag_override();
    given->all = sub->add_flag("--all")->disable_flag_override();
    given->search = sub->add_flag("--search")->disable_flag_override();
    given->no_search = sub->add_flag("--no-search")->disable_flag_override();
    AddAllWords(*sub, "FRAME", given->frames);
    return OneSubcommandParse<FindWords, FindOptions>(sub, given, name, Complete, RunFind);
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

bool Complete(const FindWords& words, const CLI::App&, FindOptions& options, std::string& error) {
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
    options.all = words.all->count() > 0;
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
// their lines. A line ends at LF, CR LF or a bare CR (as older terminals
// and serial tools save them); a UTF-8 byte order mark before the first is
// dropped.
std::vector<NumberedLine> FrameLines(const std::string& input) {
    static const std::string kBom = "\xEF\xBB\xBF";
    std::vector<NumberedLine> lines;
    std::size_t start = input.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
    for (std::size_t number = 1; start < input.size(); ++number) {
        std::size_t end = input.find_first_of("\r\n", start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back({number, line});
        start = end + (input.compare(end, 2, "\r\n") == 0 ? 2 : 1);
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

const char* JsonBool(bool value) { return value ? "true" : "false"; }

// A chance as a short number: 2e-07, 0.003.
std::string ChanceText(double chance) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1g", chance);
    return text;
}

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
           ", \"tail\": " + std::to_string(match.tail) + ", \"recovered\": " + JsonBool(match.recovered) +
           ", \"frames\": " + std::to_string(match.frames) + ", \"fitted\": " + std::to_string(match.fitted) +
           ", \"chance\": " + ChanceText(match.chance) + ", \"weak\": " + JsonBool(match.weak) + "}";
}

// "CRC-16/MODBUS le head=0 tail=0", or for a recovered CRC its parameter
// line with check and residue, then the same words.
std::string FindLine(const FrameMatch& match) {
    // A recovered CRC's line is set off by two blanks, as its words are many.
    const std::string gap = match.recovered ? "  " : " ";
    return match.method.Label() + gap + OrderWord(match) + " head=" + std::to_string(match.head) +
           " tail=" + std::to_string(match.tail) + (match.weak ? "  (weak)" : "");
}

std::string Frames(std::size_t count) { return std::to_string(count) + (count == 1 ? " frame" : " frames"); }

// How far the frames bear the first line out.
std::string EvidenceNote(const FrameMatch& match) {
    std::string note = "the first line holds on " + Frames(match.frames);
    if (match.recovered) note += ", " + std::to_string(match.frames - match.fitted) + " beyond the " +
                                 std::to_string(match.fitted) + " its parameters were fitted to";
    return note + "; chance it is luck " + ChanceText(match.chance);
}

// Line numbers (from 1), "lines 2 and 3", "lines 1, 2 and 4".
std::string LineList(const std::vector<std::size_t>& lines) {
    std::string text = "lines ";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += i + 1 == lines.size() ? " and " : ", ";
        text += std::to_string(lines[i] + 1);
    }
    return text;
}

// The frames fall short: what fits so far and what would decide.
std::string WeakNote(const FrameSearchResult& result) {
    const FrameMatch& best = result.weak.front();
    std::string note = "these frames do not bear out any explanation beyond chance; " +
                       std::to_string(result.weak.size()) + (result.weak.size() == 1 ? " fits" : " fit") +
                       " so far (--all lists them), the best " + best.method.Label() + " " + OrderWord(best) +
                       " head=" + std::to_string(best.head) + " tail=" + std::to_string(best.tail) + ", chance " +
                       ChanceText(best.chance) + "; " + std::to_string(result.more_frames) + " more different " +
                       (result.more_frames == 1 ? "frame" : "frames");
    // Any frame long enough to hold the head, a byte of data, the check and
    // the tail adds its check's bits.
    const std::size_t shortest = best.head + 1 + static_cast<std::size_t>(best.method.byte_count()) + best.tail;
    return note + " of at least " + std::to_string(shortest) + " bytes would decide";
}

// Frames shorter than any check: each word of a frame taken for a frame.
bool AllTooShort(const std::vector<Bytes>& frames) {
    return frames.size() > 1 &&
           std::all_of(frames.begin(), frames.end(), [](const Bytes& frame) { return frame.size() < 2; });
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
    search.keep_weak = options.all;
    search.before_slow_recovery = [&](double seconds) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", seconds);
        const std::string note = kPrefix + "recovering an unknown CRC from frames this long takes about " + text +
                                 " s (fewer or shorter frames, a smaller --max-skip or --no-search are quicker)\n";
        if (env.write_stderr) {
            env.write_stderr(note);
        } else {
            err += note;
        }
    };
    if (options.frames.size() > 1 && AllTooShort(frames)) {
        std::string quoted;
        for (const std::string& word : options.frames) quoted += (quoted.empty() ? "" : " ") + word;
        err += kPrefix + "each argument is one frame, and these are " + std::to_string(frames.size()) +
               " frames of one byte, too short for any check; quote a frame's bytes as one argument: quobrix "
               "find '" + quoted + "'\n";
        return kExitMessageBox;
    }
    const FrameSearchResult result = SearchFrames(frames, search);
    if (options.json) {
        out += FindJson(result.matches);
    } else {
        for (const FrameMatch& match : result.matches) out += FindLine(match) + "\n";
    }
    const bool believed = !result.matches.empty() && !result.matches.front().weak;
    if (result.recovery_ambiguous && !believed) {
        err += kPrefix + "these frames cannot tell the recovered CRCs apart; more frames, of other lengths too, would\n";
    }
    for (const std::vector<std::size_t>& group : result.equivalent) {
        err += kPrefix + LineList(group) + " give the same check for every message: any of them will do\n";
    }
    if (believed) {
        err += kPrefix + EvidenceNote(result.matches.front()) + "\n";
        return kExitReport;
    }
    if (!result.weak.empty()) {
        err += kPrefix + WeakNote(result) + "\n";
        return kExitMessageBox;
    }
    if (!result.recovery_need.empty()) err += kPrefix + "recovery cannot decide: " + result.recovery_need + "\n";
    err += kPrefix + NothingFound(options, result) + "\n";
    return kExitMessageBox;
}

}  // namespace
