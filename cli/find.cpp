#include "cli/find.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

#include "cli/find_report.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "i18n/translate.h"
#include "cli/subcommand_words.h"
#include "core/hexdump.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/params.h"
#include "workbench/frames/frame_search.h"

const char kFindUsageHint[] =
    "Usage: quobrix find [--max-skip N] [--json] [--all] [--only NAME] [--width BITS] [--order be|le] "
    "[--head N] [--tail N] [--frames-end HEX] [--search | --no-search] [FRAME...]; "
    "quobrix find --help tells more";

namespace {

// ---- The options -------------------------------------------------------

struct FindOptions {
    std::vector<std::string> frames;  // one hex text each; none: one a line of standard input
    std::size_t max_skip = 4;
    bool json = false;
    bool all = false;  // weak explanations too
    bool text = false;  // the frames are text lines ending with their check in hex digits
    RecoveryMode recovery = RecoveryMode::kAuto;
    // What the user knows of the check; the fixed end of every frame, its
    // tail (none: not given).
    FrameScope scope;
    Bytes frames_end;
    FindNarrowing narrowing;
};

// What the parser fills.
struct FindWords {
    std::vector<std::string> frames;
    std::string max_skip, order, head, tail, frames_end;
    // Each --width and --only as given, a list apart by commas or not.
    std::vector<std::string> widths, only;
    CLI::Option* max_skip_option = nullptr;
    CLI::Option* order_option = nullptr;
    CLI::Option* head_option = nullptr;
    CLI::Option* tail_option = nullptr;
    CLI::Option* frames_end_option = nullptr;
    CLI::Option* json = nullptr;
    CLI::Option* all = nullptr;
    CLI::Option* search = nullptr;
    CLI::Option* no_search = nullptr;
    CLI::Option* text = nullptr;
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
    // One word each, so that the frames after them stay frames; again for more.
    sub->add_option_function<std::string>("--width", [w = given.get()](const std::string& word) {
           w->widths.push_back(word);
       })
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    sub->add_option_function<std::string>("--only", [w = given.get()](const std::string& word) {
           w->only.push_back(word);
       })
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    given->order_option = sub->add_option("--order", given->order);
    given->head_option = sub->add_option("--head", given->head);
    given->tail_option = sub->add_option("--tail", given->tail);
    given->frames_end_option = sub->add_option("--frames-end", given->frames_end);
    given->json = sub->add_flag("--json")->disable_flag_override();
    given->all = sub->add_flag("--all")->disable_flag_override();
    given->search = sub->add_flag("--search")->disable_flag_override();
    given->no_search = sub->add_flag("--no-search")->disable_flag_override();
    given->text = sub->add_flag("--text")->disable_flag_override();
    AddAllWords(*sub, "FRAME", given->frames);
    return OneSubcommandParse<FindWords, FindOptions>(sub, given, name, Complete, RunFind);
}

namespace {

// ---- Judging the command line ------------------------------------------

// The words of repeated options apart by commas too: "--width 16,32".
std::vector<std::string> ListWords(const std::vector<std::string>& given) {
    std::vector<std::string> words;
    for (const std::string& text : given) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = text.find(',', start);
            words.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return words;
}

bool ReadWidths(const std::vector<std::string>& words, std::vector<int>& widths, std::string& error) {
    for (const std::string& word : words) {
        int width = 0;
        bool digits = !word.empty() && word.size() <= 2;
        for (const char c : word) {
            digits = digits && c >= '0' && c <= '9';
            if (digits) width = width * 10 + (c - '0');
        }
        if (!digits || width < kCrcMinWidth || width > kCrcMaxWidth) {
            error = "--width takes a check's width in bits from " + std::to_string(kCrcMinWidth) + " to " +
                    std::to_string(kCrcMaxWidth) + " (8, 16, 32; several as 16,32), not '" + EscapeBytes(word) + "'";
            return false;
        }
        if (std::find(widths.begin(), widths.end(), width) == widths.end()) widths.push_back(width);
    }
    return true;
}

// The options that narrowed the search, as given, for messages.
std::string NarrowingWords(const FindWords& words) {
    std::string text;
    const auto add = [&](const std::string& option, const std::string& value) {
        text += (text.empty() ? "" : " ") + option + " " + value;
    };
    const auto joined = [](const std::vector<std::string>& list) {
        std::string all;
        for (const std::string& word : list) all += (all.empty() ? "" : ",") + word;
        return all;
    };
    if (!words.only.empty()) add("--only", joined(ListWords(words.only)));
    if (!words.widths.empty()) add("--width", joined(ListWords(words.widths)));
    if (words.order_option->count() > 0) add("--order", words.order);
    if (words.head_option->count() > 0) add("--head", words.head);
    if (words.tail_option->count() > 0) add("--tail", words.tail);
    if (words.frames_end_option->count() > 0) add("--frames-end", "'" + words.frames_end + "'");
    return EscapeBytes(text);
}

// What each narrowing option says of the check, read into `options.scope`.
bool ReadScope(const FindWords& words, FindOptions& options, std::string& error) {
    FrameScope& scope = options.scope;
    if (!ReadWidths(ListWords(words.widths), scope.widths, error)) return false;
    if (words.order_option->count() > 0) {
        if (words.order != "be" && words.order != "le") {
            error = "--order takes be or le, not '" + EscapeBytes(words.order) + "'";
            return false;
        }
        scope.order = words.order == "be" ? CheckOrder::kBigEndian : CheckOrder::kLittleEndian;
    }
    std::size_t count = 0;
    if (words.head_option->count() > 0) {
        if (!ReadSkipCount("--head", words.head, count, error)) return false;
        scope.head = count;
    }
    if (words.tail_option->count() > 0) {
        if (!ReadSkipCount("--tail", words.tail, count, error)) return false;
        scope.tail = count;
    }
    if (words.frames_end_option->count() > 0) {
        if (!ReadHexBytes(words.frames_end, "--frames-end", options.frames_end, error)) return false;
        if (options.frames_end.size() > kMaxSkipLimit) {
            error = "--frames-end holds " + std::to_string(options.frames_end.size()) + " bytes, more than the " +
                    std::to_string(kMaxSkipLimit) + " a tail may";
            return false;
        }
        // The end is the tail: the check comes just before it.
        if (scope.tail && *scope.tail != options.frames_end.size()) {
            error = "--frames-end is the tail, " + std::to_string(options.frames_end.size()) +
                    (options.frames_end.size() == 1 ? " byte" : " bytes") + ", and --tail " +
                    std::to_string(*scope.tail) + " contradicts it";
            return false;
        }
        scope.tail = options.frames_end.size();
    }
    if (!words.only.empty()) {
        std::string unknown;
        if (!NarrowToChecksNamed(ListWords(words.only), scope, unknown)) {
            error = "--only names no check with '" + EscapeBytes(unknown) +
                    "': give a catalogue name (quobrix crc --list), a sum (SUM-8, SUM-16, SUM-32, SUM-8/TWOS, "
                    "SUM-16/TWOS, SUM-8/ONES, SUM-16/ONES, XOR-8, INET-16, FLETCHER-16, ADLER-32) or a family "
                    "(CRC, CRC-N for N bits, SUM, XOR)";
            return false;
        }
    }
    return true;
}

// Options that contradict one another or leave nothing to try.
bool ScopeIsSound(const FindWords& words, const FindOptions& options, std::string& error) {
    const FrameScope& scope = options.scope;
    // An exact head or tail beyond a --max-skip given: which was meant?
    if (words.max_skip_option->count() > 0) {
        const std::pair<std::optional<std::size_t>, const char*> fixed[] = {
            {scope.head, "--head"}, {scope.tail, options.frames_end.empty() ? "--tail" : "--frames-end"}};
        for (const auto& [count, option] : fixed) {
            if (count && *count > options.max_skip) {
                error = std::string(option) + " fixes " + std::to_string(*count) + (*count == 1 ? " byte" : " bytes") +
                        ", beyond --max-skip " +
                        std::to_string(options.max_skip) + ": give one of them";
                return false;
            }
        }
    }
    const std::vector<std::size_t> named = NamedChecksInScope(scope);
    const std::vector<int> recovered = RecoveryWidthsInScope(scope);
    const std::string narrowing = NarrowingWords(words);
    if (named.empty() && recovered.empty()) {
        error = narrowing + ": no check is left to try (named checks are 3 to 82 bits wide, recovered CRCs "
                            "whole bytes of 8 to 64 bits)";
        return false;
    }
    if (named.empty() && options.recovery == RecoveryMode::kNever) {
        error = narrowing + ": only unknown CRCs are left, and --no-search recovers none";
        return false;
    }
    if (recovered.empty() && options.recovery == RecoveryMode::kAlways) {
        error = narrowing + ": no unknown CRC is left to recover, and --search recovers only those";
        return false;
    }
    if (scope.order) {
        const std::vector<CheckMethod>& methods = NamedCheckMethods();
        const bool wide_named = std::any_of(named.begin(), named.end(),
                                            [&](std::size_t i) { return methods[i].byte_count() > 1; });
        const bool wide_recovered = std::any_of(recovered.begin(), recovered.end(), [](int width) { return width > 8; });
        if (!wide_named && !wide_recovered) {
            error = narrowing + ": no check left is wider than a byte, so --order has nothing to order";
            return false;
        }
    }
    return true;
}

// The options of binary frames: a text line's check has its own places.
bool TextOptionsAreSound(const FindWords& words, std::string& error) {
    const std::pair<bool, const char*> binary[] = {
        {words.max_skip_option->count() > 0, "--max-skip"}, {!words.widths.empty(), "--width"},
        {!words.only.empty(), "--only"}, {words.order_option->count() > 0, "--order"},
        {words.head_option->count() > 0, "--head"}, {words.tail_option->count() > 0, "--tail"},
        {words.frames_end_option->count() > 0, "--frames-end"}, {words.json->count() > 0, "--json"},
        {words.search->count() > 0, "--search"}, {words.no_search->count() > 0, "--no-search"}};
    for (const auto& [given, option] : binary) {
        if (given) {
            error = std::string("--text takes no ") + option + ": it tries every place a text line's check may have";
            return false;
        }
    }
    return true;
}

bool Complete(const FindWords& words, const CLI::App&, FindOptions& options, std::string& error) {
    if (words.text->count() > 0) {
        if (!TextOptionsAreSound(words, error)) return false;
        options.text = true;
        options.all = words.all->count() > 0;
        options.frames = words.frames;
        return true;
    }
    if (words.max_skip_option->count() > 0 && !ReadMaxSkip(words.max_skip, options.max_skip, error)) return false;
    const bool search = words.search->count() > 0, no_search = words.no_search->count() > 0;
    if (search && no_search) {
        error = "--search and --no-search exclude each other";
        return false;
    }
    options.recovery = search ? RecoveryMode::kAlways : no_search ? RecoveryMode::kNever : RecoveryMode::kAuto;
    if (!ReadScope(words, options, error) || !ScopeIsSound(words, options, error)) return false;
    options.narrowing.options = NarrowingWords(words);
    options.narrowing.max_skip_bounds = !(options.scope.head && options.scope.tail);
    options.json = words.json->count() > 0;
    options.all = words.all->count() > 0;
    options.frames = words.frames;
    return true;
}

// ---- The input ---------------------------------------------------------

// More frames than anyone pastes; standard input beyond it is an error.
constexpr std::size_t kMaxInputBytes = std::size_t{1} << 20;

// Standard input whole, at most kMaxInputBytes of it; `what` it holds
// names it in the message when there is more.
bool ReadBoundedStdin(const CliEnvironment& env, const char* what, std::string& input, std::string& error) {
    if (!env.read_stdin(kMaxInputBytes + 1, input, error)) {
        error = "cannot read standard input: " + error;
        return false;
    }
    if (input.size() > kMaxInputBytes) {
        error = "standard input holds more than " + std::to_string(kMaxInputBytes >> 20) + " MiB of " + what;
        return false;
    }
    return true;
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
        if (!ReadBoundedStdin(env, "frames", input, error)) return false;
        texts = FrameLines(input);
        source = "line ";
        if (texts.empty()) {
            error = "no frames: give them as arguments, or one a line on standard input";
            return false;
        }
    }
    for (const NumberedLine& text : texts) {
        Bytes bytes;
        const std::string where = source + std::to_string(text.number);
        if (!ReadHexBytes(text.text, where, bytes, error)) return false;
        const Bytes& end = options.frames_end;
        if (!end.empty() && !(bytes.size() >= end.size() && std::equal(end.rbegin(), end.rend(), bytes.rbegin()))) {
            error = where + " does not end with --frames-end " + SpacedHex(end) + " (it ends " +
                    SpacedHex(Bytes(bytes.end() - static_cast<std::ptrdiff_t>(std::min(end.size(), bytes.size())),
                                  bytes.end())) +
                    ")";
            return false;
        }
        frames.push_back(std::move(bytes));
    }
    return true;
}

// The lines of the arguments, escapes read, or of standard input's lines as
// they are, line ends kept.
bool ReadTextLines(const FindOptions& options, const CliEnvironment& env, std::vector<std::string>& lines,
                   std::string& error) {
    if (!options.frames.empty()) {
        for (std::size_t i = 0; i < options.frames.size(); ++i) {
            std::string line;
            if (!UnescapeTextLine(options.frames[i], "line " + std::to_string(i + 1), line, error)) return false;
            lines.push_back(std::move(line));
        }
        return true;
    }
    std::string input;
    if (!ReadBoundedStdin(env, "lines", input, error)) return false;
    for (NumberedLine& line : TextLines(input)) lines.push_back(std::move(line.text));
    if (lines.empty()) {
        error = "no lines: give them as arguments, or on standard input";
        return false;
    }
    return true;
}

int RunFindText(const FindOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::vector<std::string> lines;
    std::string error;
    if (!ReadTextLines(options, env, lines, error)) {
        err += kPrefix + EscapeBytes(error) + "\n";
        return kExitUsage;
    }
    const TextSearchResult result = SearchTextLines(lines, options.all);
    for (const TextMatch& match : result.matches) out += TextFindLine(match) + "\n";
    std::vector<std::string> notes;
    const bool believed = TextFindNotes(result, notes);
    for (const std::string& note : notes) err += kPrefix + note + "\n";
    return believed ? kExitReport : kExitMessageBox;
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
    if (options.text) return RunFindText(options, env, out, err);
    std::vector<Bytes> frames;
    std::string error;
    if (!ReadFrames(options, env, frames, error)) {
        err += kPrefix + error + "\n";
        return kExitUsage;
    }
    FrameSearchOptions search;
    search.max_skip = options.max_skip;
    search.scope = options.scope;
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
        err += kPrefix +
               i18n::Format(i18n::Tr("each argument is one frame, and these are %1$s frames of one byte, too short "
                                     "for any check; quote a frame's bytes as one argument: quobrix find '%2$s'"),
                            {std::to_string(frames.size()), quoted}) +
               "\n";
        return kExitMessageBox;
    }
    const FrameSearchResult result = SearchFrames(frames, search);
    if (options.json) {
        out += FindJson(result.matches);
    } else {
        for (const FrameMatch& match : result.matches) out += FindLine(match) + "\n";
    }
    std::vector<std::string> notes;
    const bool believed = FindNotes(result, options.max_skip, notes, options.narrowing);
    for (const std::string& note : notes) err += kPrefix + note + "\n";
    return believed ? kExitReport : kExitMessageBox;
}

}  // namespace

const CliCommand kFindCommand = {"find", SetupFind, FindHelpSection, FindHelp, kFindUsageHint};
