#include "cli/find_report.h"

#include <algorithm>
#include <cstdio>

#include "cli/messages.h"

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

std::string ChanceText(double chance) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1g", chance);
    return text;
}

std::string OrderWord(const FrameMatch& match) { return CheckOrderWord(match.order, match.method.byte_count()); }

std::string FindLine(const FrameMatch& match) {
    // A recovered CRC's line is set off by two blanks, as its words are many.
    const std::string gap = match.recovered ? "  " : " ";
    return match.method.Label() + gap + OrderWord(match) + " head=" + std::to_string(match.head) +
           " tail=" + std::to_string(match.tail) + (match.weak ? "  (weak)" : "");
}

namespace {

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

// The frames fall short: what fits so far and what would decide, in the
// search as narrowed.
std::string WeakNote(const FrameSearchResult& result, const FindNarrowing& narrowing) {
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
    note += " of at least " + std::to_string(shortest) + " bytes would decide";
    return narrowing.options.empty() ? note : note + " (within " + narrowing.options + ")";
}

// Checks that hold only for the frames' structure: more of the same frames
// would not decide, so the note asks for other ones.
std::string StructureNote(const FrameSearchResult& result) {
    std::size_t count = 0;
    const FrameMatch* best = nullptr;
    for (const FrameMatch& match : result.weak) {
        if (!match.structural) continue;
        if (best == nullptr) best = &match;
        ++count;
    }
    return "these frames have too little variety to tell anything: " + std::to_string(count) +
           (count == 1 ? " check holds" : " checks hold") + " on them (the first " + best->method.Label() + " " +
           OrderWord(*best) + " head=" + std::to_string(best->head) + " tail=" + std::to_string(best->tail) +
           ") only for their structure (runs of one byte, padding, repeats): their check bytes are their data's "
           "own, not luck; frames of varied data would decide";
}

std::string OneValueNote(int value) {
    static const char kDigits[] = "0123456789ABCDEF";
    const std::string text = {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
    return "these frames are all " + text +
           ": they carry no evidence (any check of a run of one byte holds on it for the run's sake); frames of "
           "varied data would decide";
}

std::string NothingFound(std::size_t max_skip, const FrameSearchResult& result, const FindNarrowing& narrowing) {
    std::vector<std::string> tries;
    if (narrowing.max_skip_bounds) tries.push_back("a larger --max-skip (it is " + std::to_string(max_skip) + ")");
    if (!narrowing.options.empty()) tries.push_back("fewer of these options");
    tries.push_back("more frames");
    if (!result.recovery_ran) tries.push_back("--search to recover an unknown CRC");
    std::string note = narrowing.options.empty() ? "nothing explains these frames; try "
                                                 : "nothing within " + narrowing.options + " explains these frames; try ";
    for (std::size_t i = 0; i < tries.size(); ++i) {
        if (i > 0) note += i + 1 < tries.size() ? ", " : tries.size() > 2 ? ", or " : " or ";
        note += tries[i];
    }
    return note;
}

}  // namespace

std::string SlowRecoveryNote(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", seconds);
    return std::string("recovering an unknown CRC from frames this long takes about ") + text +
           " s (fewer or shorter frames, a smaller --max-skip or --no-search are quicker)";
}

bool FindNotes(const FrameSearchResult& result, std::size_t max_skip, std::vector<std::string>& notes,
               const FindNarrowing& narrowing) {
    const bool believed = !result.matches.empty() && !result.matches.front().weak;
    if (result.recovery_ambiguous && !believed) {
        notes.push_back("these frames cannot tell the recovered CRCs apart; more frames, of other lengths too, would");
    }
    for (const std::vector<std::size_t>& group : result.equivalent) {
        notes.push_back(LineList(group) + " give the same check for every message: any of them will do");
    }
    if (believed) {
        notes.push_back(EvidenceNote(result.matches.front()));
        return true;
    }
    if (result.one_byte_value >= 0) {
        notes.push_back(OneValueNote(result.one_byte_value));
        return false;
    }
    if (result.patterned) {
        notes.push_back(
            "these frames each follow a pattern to their last byte (a counter, or a block repeated): they carry "
            "no evidence (a check that holds on them may hold for the pattern's sake); frames of varied data "
            "would decide");
        return false;
    }
    const bool structural = std::any_of(result.weak.begin(), result.weak.end(),
                                        [](const FrameMatch& match) { return match.structural; });
    // More frames like these would not decide what holds for their
    // structure: the note on it stands alone.
    if (structural) {
        notes.push_back(StructureNote(result));
        return false;
    }
    if (!result.weak.empty()) {
        notes.push_back(WeakNote(result, narrowing));
        return false;
    }
    if (!result.recovery_need.empty()) notes.push_back("recovery cannot decide: " + result.recovery_need);
    notes.push_back(NothingFound(max_skip, result, narrowing));
    return false;
}

bool ReadMaxSkip(const std::string& word, std::size_t& max_skip, std::string& error) {
    return ReadSkipCount("--max-skip", word, max_skip, error);
}

bool ReadSkipCount(const std::string& option, const std::string& word, std::size_t& count_read, std::string& error) {
    bool digits = !word.empty() && word.size() <= 3;
    std::size_t count = 0;
    for (const char c : word) {
        digits = digits && c >= '0' && c <= '9';
        if (digits) count = count * 10 + static_cast<std::size_t>(c - '0');
    }
    if (!digits || count > kMaxSkipLimit) {
        error = option + " takes a count of bytes from 0 to " + std::to_string(kMaxSkipLimit) + ", not '" +
                EscapeBytes(word) + "'";
        return false;
    }
    count_read = count;
    return true;
}

// ---- Lines of text -----------------------------------------------------

bool UnescapeTextLine(const std::string& word, const std::string& where, std::string& line, std::string& error) {
    line.clear();
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '\\') {
            line += word[i];
            continue;
        }
        const char escape = i + 1 < word.size() ? word[i + 1] : '\0';
        if (escape == 'r' || escape == 'n' || escape == '\\') {
            line += escape == 'r' ? '\r' : escape == 'n' ? '\n' : '\\';
            ++i;
            continue;
        }
        const auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        };
        if (escape == 'x' && i + 3 < word.size() && hex(word[i + 2]) >= 0 && hex(word[i + 3]) >= 0) {
            line += static_cast<char>(hex(word[i + 2]) << 4 | hex(word[i + 3]));
            i += 3;
            continue;
        }
        error = where + " has a backslash at character " + std::to_string(i + 1) +
                " that is no escape (\\r, \\n, \\xHH with two hex digits, \\\\)";
        return false;
    }
    return true;
}

std::string EscapeTextLine(const std::string& line) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte < 0x20 || byte > 0x7E) {
            text += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
        } else {
            text += c;
        }
    }
    return text;
}

std::vector<NumberedLine> TextLines(const std::string& input) {
    static const std::string kBom = "\xEF\xBB\xBF";
    std::vector<NumberedLine> lines;
    std::size_t start = input.compare(0, kBom.size(), kBom) == 0 ? kBom.size() : 0;
    for (std::size_t number = 1; start < input.size(); ++number) {
        std::size_t end = input.find_first_of("\r\n", start);
        end = end == std::string::npos ? input.size() : end + (input.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        const std::string line = input.substr(start, end - start);
        if (line.find_first_not_of(" \t\r\n") != std::string::npos) lines.push_back({number, line});
        start = end;
    }
    return lines;
}

std::string TextFindLine(const TextMatch& match) {
    return TextCheckWords(match.method, match.form) + (match.weak ? "  (weak)" : "");
}

bool TextFindNotes(const TextSearchResult& result, std::vector<std::string>& notes) {
    const auto holds_on = [](const TextMatch& match) {
        return std::to_string(match.lines) + (match.lines == 1 ? " line" : " lines");
    };
    if (!result.matches.empty() && !result.matches.front().weak) {
        const TextMatch& best = result.matches.front();
        notes.push_back("the first line holds on " + holds_on(best) + "; chance it is luck " + ChanceText(best.chance));
        return true;
    }
    if (!result.weak.empty()) {
        const TextMatch& best = result.weak.front();
        notes.push_back("these lines do not bear out any check beyond chance; " + std::to_string(result.weak.size()) +
                        (result.weak.size() == 1 ? " fits" : " fit") + " so far (--all lists them), the best " +
                        TextCheckWords(best.method, best.form) + " on " + holds_on(best) + ", chance " +
                        ChanceText(best.chance) + "; more different lines would decide");
        return false;
    }
    notes.push_back("no check written as hex digits at the end of the line holds on every line; more lines, or "
                    "lines of one kind only, would tell more");
    return false;
}
