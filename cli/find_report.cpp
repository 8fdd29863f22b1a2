#include "cli/find_report.h"

#include <algorithm>
#include <cstdio>

#include "cli/messages.h"
#include "i18n/translate.h"

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

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

std::string Number(std::size_t n) { return std::to_string(n); }

// The words of a line as find prints it, in a note.
std::string LineWords(const FrameMatch& match) {
    return match.method.Label() + " " + OrderWord(match) + " head=" + Number(match.head) +
           " tail=" + Number(match.tail);
}

// "a, b and c": each language joins its own way.
std::string Joined(const std::vector<std::string>& items, const char* last_pair, const char* last_of_more) {
    std::string text = items.empty() ? std::string() : items.front();
    for (std::size_t i = 1; i < items.size(); ++i) {
        const char* pattern = i + 1 < items.size() ? Tr("%1$s, %2$s") : items.size() > 2 ? last_of_more : last_pair;
        text = Format(pattern, {text, items[i]});
    }
    return text;
}

// How far the frames bear the first line out.
std::string EvidenceNote(const FrameMatch& match) {
    if (match.recovered) {
        return Format(TrN("the first line holds on %1$s frame, %2$s beyond the %3$s its parameters were fitted "
                          "to; chance it is luck %4$s",
                          "the first line holds on %1$s frames, %2$s beyond the %3$s its parameters were fitted "
                          "to; chance it is luck %4$s",
                          match.frames),
                      {Number(match.frames), Number(match.frames - match.fitted), Number(match.fitted),
                       ChanceText(match.chance)});
    }
    return Format(TrN("the first line holds on %1$s frame; chance it is luck %2$s",
                      "the first line holds on %1$s frames; chance it is luck %2$s", match.frames),
                  {Number(match.frames), ChanceText(match.chance)});
}

// Line numbers (from 1), "lines 2 and 3", "lines 1, 2 and 4".
std::string LineList(const std::vector<std::size_t>& lines) {
    std::vector<std::string> numbers;
    for (const std::size_t line : lines) numbers.push_back(Number(line + 1));
    return Format(Tr("lines %1$s"), {Joined(numbers, Tr("%1$s and %2$s"), Tr("%1$s and %2$s"))});
}

// The frames fall short: what fits so far and what would decide, in the
// search as narrowed.
std::string WeakNote(const FrameSearchResult& result, const FindNarrowing& narrowing) {
    const FrameMatch& best = result.weak.front();
    // Any frame long enough to hold the head, a byte of data, the check and
    // the tail adds its check's bits.
    const std::size_t shortest = best.head + 1 + static_cast<std::size_t>(best.method.byte_count()) + best.tail;
    const std::string note = Format(
        Tr("these frames do not bear out any explanation beyond chance; %1$s so far (--all lists them), the best "
           "%2$s, chance %3$s; %4$s"),
        {Format(TrN("%1$s fits", "%1$s fit", result.weak.size()), {Number(result.weak.size())}), LineWords(best),
         ChanceText(best.chance),
         Format(TrN("%1$s more different frame of at least %2$s bytes would decide",
                    "%1$s more different frames of at least %2$s bytes would decide", result.more_frames),
                {Number(result.more_frames), Number(shortest)})});
    return narrowing.options.empty() ? note : Format(Tr("%1$s (within %2$s)"), {note, narrowing.options});
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
    return Format(TrN("these frames have too little variety to tell anything: %1$s check holds on them (the first "
                      "%2$s) only for their structure (runs of one byte, padding, repeats): their check bytes are "
                      "their data's own, not luck; frames of varied data would decide",
                      "these frames have too little variety to tell anything: %1$s checks hold on them (the first "
                      "%2$s) only for their structure (runs of one byte, padding, repeats): their check bytes are "
                      "their data's own, not luck; frames of varied data would decide",
                      count),
                  {Number(count), LineWords(*best)});
}

std::string OneValueNote(int value) {
    static const char kDigits[] = "0123456789ABCDEF";
    const std::string text = {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
    return Format(Tr("these frames are all %1$s: they carry no evidence (any check of a run of one byte holds on it "
                     "for the run's sake); frames of varied data would decide"),
                  {text});
}

std::string NothingFound(std::size_t max_skip, const FrameSearchResult& result, const FindNarrowing& narrowing) {
    std::vector<std::string> tries;
    if (narrowing.max_skip_bounds) tries.push_back(Format(Tr("a larger --max-skip (it is %1$s)"), {Number(max_skip)}));
    if (!narrowing.options.empty()) tries.push_back(Tr("fewer of these options"));
    tries.push_back(Tr("more frames"));
    if (!result.recovery_ran) tries.push_back(Tr("--search to recover an unknown CRC"));
    const std::string alternatives = Joined(tries, Tr("%1$s or %2$s"), Tr("%1$s, or %2$s"));
    return narrowing.options.empty()
               ? Format(Tr("nothing explains these frames; try %1$s"), {alternatives})
               : Format(Tr("nothing within %1$s explains these frames; try %2$s"), {narrowing.options, alternatives});
}

}  // namespace

std::string SlowRecoveryNote(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", seconds);
    return Format(Tr("recovering an unknown CRC from frames this long takes about %1$s s (fewer or shorter frames, "
                     "a smaller --max-skip or --no-search are quicker)"),
                  {text});
}

bool FindNotes(const FrameSearchResult& result, std::size_t max_skip, std::vector<std::string>& notes,
               const FindNarrowing& narrowing) {
    const bool believed = !result.matches.empty() && !result.matches.front().weak;
    if (result.recovery_ambiguous && !believed) {
        notes.push_back(Tr("these frames cannot tell the recovered CRCs apart; more frames, of other lengths too, would"));
    }
    for (const std::vector<std::size_t>& group : result.equivalent) {
        notes.push_back(Format(Tr("%1$s give the same check for every message: any of them will do"), {LineList(group)}));
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
            Tr("these frames each follow a pattern to their last byte (a counter, or a block repeated): they carry "
               "no evidence (a check that holds on them may hold for the pattern's sake); frames of varied data "
               "would decide"));
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
    if (!result.recovery_need.empty()) {
        notes.push_back(Format(Tr("recovery cannot decide: %1$s"), {result.recovery_need}));
    }
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
