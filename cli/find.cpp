#include "cli/find.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/find_report.h"
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

bool Complete(const FindWords& words, const CLI::App&, FindOptions& options, std::string& error) {
    if (words.max_skip_option->count() > 0 && !ReadMaxSkip(words.max_skip, options.max_skip, error)) return false;
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
        const std::string note = kPrefix + SlowRecoveryNote(seconds) + "\n";
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
    std::vector<std::string> notes;
    const bool believed = FindNotes(result, options.max_skip, notes);
    for (const std::string& note : notes) err += kPrefix + note + "\n";
    return believed ? kExitReport : kExitMessageBox;
}

}  // namespace

const CliCommand kFindCommand = {"find", SetupFind, FindHelpSection, FindHelp, kFindUsageHint};
