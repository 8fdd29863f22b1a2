#include "cli/run_find.h"

#include "cli/find_output.h"
#include "cli/frame_input.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"

namespace {

// More frames than anyone pastes; standard input beyond it is an error.
constexpr std::size_t kMaxInputBytes = std::size_t{1} << 20;

// The frames of the arguments, or of standard input's lines.
bool ReadFrames(const FindCliOptions& options, const CliEnvironment& env, std::vector<Bytes>& frames,
                std::string& err) {
    std::vector<NumberedLine> texts;
    std::string source = "frame ";
    if (!options.frames.empty()) {
        for (std::size_t i = 0; i < options.frames.size(); ++i) texts.push_back({i + 1, options.frames[i]});
    } else {
        const StdinRead read = env.read_stdin(kMaxInputBytes + 1);
        if (!read.error.empty()) {
            err += kPrefix + "cannot read standard input: " + read.error + "\n";
            return false;
        }
        if (read.bytes.size() > kMaxInputBytes) {
            err += kPrefix + "standard input holds more than " + std::to_string(kMaxInputBytes >> 20) +
                   " MiB of frames\n";
            return false;
        }
        texts = FrameLines(read.bytes);
        source = "line ";
        if (texts.empty()) {
            err += kPrefix + "no frames: give them as arguments, or one a line on standard input\n";
            return false;
        }
    }
    for (const NumberedLine& text : texts) {
        Bytes bytes;
        std::string error;
        if (!ReadHexBytes(text.text, source + std::to_string(text.number), bytes, error)) {
            err += kPrefix + error + "\n";
            return false;
        }
        frames.push_back(std::move(bytes));
    }
    return true;
}

std::string NothingFound(const FindCliOptions& options, const FrameSearchResult& result) {
    std::string note = "nothing explains these frames; try a larger --max-skip (it is " +
                       std::to_string(options.max_skip) + ")";
    note += result.recovery_ran ? " or more frames" : ", more frames, or --search to recover an unknown CRC";
    return kPrefix + note + "\n";
}

}  // namespace

int RunFind(const FindCliOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    std::vector<Bytes> frames;
    if (!ReadFrames(options, env, frames, err)) return kExitUsage;
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
        err += NothingFound(options, result);
        return kExitMessageBox;
    }
    if (frames.size() == 1) {
        err += kPrefix + "one frame: a check may hold on it by chance; more frames rule such lines out\n";
    }
    return kExitReport;
}
