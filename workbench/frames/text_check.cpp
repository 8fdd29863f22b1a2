#include "workbench/frames/text_check.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "workbench/frames/check_evidence.h"
#include "workbench/frames/frame_build.h"
#include "workbench/frames/frame_search.h"
#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool HasUpperLetter(std::string_view digits) {
    return std::any_of(digits.begin(), digits.end(), [](char c) { return c >= 'A' && c <= 'F'; });
}
bool HasLowerLetter(std::string_view digits) {
    return std::any_of(digits.begin(), digits.end(), [](char c) { return c >= 'a' && c <= 'f'; });
}

std::uint64_t ReadHexValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (const char c : digits) value = value << 4 | static_cast<std::uint64_t>(HexValue(c));
    return value;
}

bool DecodePairs(std::string_view span, Bytes& bytes) {
    if (span.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < span.size(); i += 2) {
        const int high = HexValue(span[i]), low = HexValue(span[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<unsigned char>(high << 4 | low));
    }
    return true;
}

std::string_view LineEnd(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") return line.substr(line.size() - 2);
    if (!line.empty() && (line.back() == '\n' || line.back() == '\r')) return line.substr(line.size() - 1);
    return {};
}

std::string CharWord(const std::optional<char>& c, const char* none) { return c ? std::string(1, *c) : none; }

// A word of the form read into `form`; false with why when it is none.
bool ReadFormWord(const std::string& word, TextCheckForm& form, bool& digits_given, std::string& error) {
    const auto one_character = [&](const std::string& value, const char* none, std::optional<char>& into) {
        if (value == none) {
            into.reset();
            return true;
        }
        if (value.size() != 1) {
            error = Format(Tr("'%1$s' takes one character or %2$s"), {word, none});
            return false;
        }
        into = value[0];
        return true;
    };
    if (word.rfind("from=", 0) == 0) return one_character(word.substr(5), "line", form.start);
    if (word.rfind("to=", 0) == 0) return one_character(word.substr(3), "none", form.separator);
    if (word == "hex2" || word == "hex4" || word == "hex8") {
        form.digits = word[3] - '0';
        digits_given = true;
        return true;
    }
    const std::pair<const char*, bool TextCheckForm::*> flags[] = {
        {"lower", &TextCheckForm::lower}, {"pairs", &TextCheckForm::pairs}, {"crlf", &TextCheckForm::crlf}};
    for (const auto& [name, flag] : flags) {
        if (word == name) {
            form.*flag = true;
            return true;
        }
    }
    if (word == "text") return true;
    error = Format(Tr("'%1$s' is no word of a text check (text, from=C, to=C, hex2, hex4, hex8, lower, pairs, crlf)"),
                   {word});
    return false;
}

bool IsFormWord(std::string_view word) {
    return word == "text" || word.rfind("from=", 0) == 0 || word.rfind("to=", 0) == 0 || word == "hex2" ||
           word == "hex4" || word == "hex8" || word == "lower" || word == "pairs" || word == "crlf";
}

// The words of `text` apart by blanks, each with where it begins.
std::vector<std::pair<std::size_t, std::string>> Words(std::string_view text) {
    std::vector<std::pair<std::size_t, std::string>> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        words.emplace_back(begin, std::string(text.substr(begin, i - begin)));
    }
    return words;
}

}  // namespace

std::string TextCheckWords(const CheckMethod& method, const TextCheckForm& form) {
    return method.Label() + " text from=" + CharWord(form.start, "line") + " to=" + CharWord(form.separator, "none") +
           " hex" + std::to_string(form.digits) + (form.lower ? " lower" : "") + (form.pairs ? " pairs" : "") +
           (form.crlf ? " crlf" : "");
}

bool ReadTextCheck(std::string_view words, CheckMethod& method, TextCheckForm& form, std::string& note,
                   std::string& error) {
    const auto split = Words(words);
    // The check's own words (a parameter line has several) end where the form's begin.
    const auto first_form = std::find_if(split.begin(), split.end(), [](const auto& w) { return IsFormWord(w.second); });
    std::string_view check = first_form == split.end() ? words : words.substr(0, first_form->first);
    while (!check.empty() && (check.back() == ' ' || check.back() == '\t')) check.remove_suffix(1);
    if (first_form == split.begin()) {
        error = Tr("the words name no check before the form (XOR-8 text from=$ to=* hex2)");
        return false;
    }
    form = TextCheckForm{};
    bool digits_given = false;
    for (auto it = first_form; it != split.end(); ++it) {
        if (!ReadFormWord(it->second, form, digits_given, error)) return false;
    }
    std::string why;
    if (!ResolveCheckMethod(check, method, note, why)) {
        error = why.substr(0, why.find('\n'));
        return false;
    }
    // Digits for every bit, as find reads them: a width between would
    // leave the top digit's range to guess.
    const int width = method.width();
    if (!digits_given) form.digits = width / 4;
    if (width != form.digits * 4 || (width != 8 && width != 16 && width != 32)) {
        error = width == 8 || width == 16 || width == 32
                    ? Format(Tr("%1$s is %2$s bits wide: write it as hex%3$s"),
                             {method.Label(), std::to_string(width), std::to_string(width / 4)})
                    : Format(Tr("%1$s is %2$s bits wide: a text check is 8, 16 or 32 bits"),
                             {method.Label(), std::to_string(width)});
        return false;
    }
    return true;
}

std::string WriteTextCheckValue(Uint128 value, const TextCheckForm& form) {
    static const char kUpper[] = "0123456789ABCDEF", kLower[] = "0123456789abcdef";
    const char* digits = form.lower ? kLower : kUpper;
    std::string text;
    for (int i = form.digits - 1; i >= 0; --i) text += digits[(value.low >> (4 * i)) & 0xF];
    return text;
}

bool SplitTextLine(std::string_view line, const TextCheckForm& form, TextLineParts& parts, std::string& why) {
    parts.line_end = LineEnd(line);
    const std::string_view body = line.substr(0, line.size() - parts.line_end.size());
    const std::size_t digits = static_cast<std::size_t>(form.digits);
    const std::size_t before = (form.start ? 1 : 0), between = (form.separator ? 1 : 0);
    if (body.size() < before + 1 + between + digits) {
        why = "the line is too short for a character of text and the check";
        return false;
    }
    if (form.start && body.front() != *form.start) {
        why = std::string("the line does not begin with ") + *form.start;
        return false;
    }
    parts.written = body.substr(body.size() - digits);
    if (!std::all_of(parts.written.begin(), parts.written.end(), [](char c) { return HexValue(c) >= 0; })) {
        why = "the line does not end with " + std::to_string(digits) + " hex digits";
        return false;
    }
    if (form.separator && body[body.size() - digits - 1] != *form.separator) {
        why = std::string("the check's digits do not follow ") + *form.separator;
        return false;
    }
    parts.span = body.substr(before, body.size() - before - between - digits);
    Bytes bytes;
    if (form.pairs && !DecodePairs(parts.span, bytes)) {
        why = "the text before the check is not hex pairs";
        return false;
    }
    return true;
}

bool ComputeTextCheck(const CheckMethod& method, const TextCheckForm& form, std::string_view span, Uint128& value) {
    Bytes bytes;
    if (form.pairs) {
        if (!DecodePairs(span, bytes)) return false;
    } else {
        bytes.assign(span.begin(), span.end());
    }
    value = method.Compute(bytes.data(), bytes.size());
    return true;
}

// Its reasons are messages, in the user's language; SplitTextLine's are the
// answer a verification prints, for scripts, and stay as they are.
bool BuildTextLine(const CheckMethod& method, const TextCheckForm& form, std::string_view line, std::string& built,
                   std::string& why) {
    std::string_view body = line.substr(0, line.size() - LineEnd(line).size());
    if (form.start && (body.empty() || body.front() != *form.start)) {
        why = Format(Tr("the line does not begin with %1$s"), {std::string(1, *form.start)});
        return false;
    }
    if (form.separator && !body.empty() && body.back() == *form.separator) body.remove_suffix(1);
    const std::string_view span = body.substr(form.start ? 1 : 0);
    if (span.empty()) {
        why = Tr("the line has no text for the check");
        return false;
    }
    Uint128 value;
    if (!ComputeTextCheck(method, form, span, value)) {
        why = Tr("the text before the check is not hex pairs");
        return false;
    }
    built = std::string(body) + (form.separator ? std::string(1, *form.separator) : "") +
            WriteTextCheckValue(value, form) + (form.crlf ? "\r\n" : "");
    return true;
}

TextVerdict VerifyTextLine(const CheckMethod& method, const TextCheckForm& form, std::string_view line) {
    TextVerdict verdict;
    TextLineParts parts;
    if (!SplitTextLine(line, form, parts, verdict.problem)) return verdict;
    if (form.crlf && parts.line_end != "\r\n") {
        verdict.problem = "the line does not end with CR LF";
        return verdict;
    }
    Uint128 value;
    ComputeTextCheck(method, form, parts.span, value);
    verdict.expected = WriteTextCheckValue(value, form);
    verdict.got = std::string(parts.written);
    verdict.ok = verdict.expected == verdict.got;
    return verdict;
}

namespace {

// Every form the search tries on these lines: the start after the first
// character is tried only when every line begins with the same one.
std::vector<TextCheckForm> FormsToTry(const std::vector<std::string>& lines) {
    std::vector<std::optional<char>> starts = {std::nullopt};
    const char first = lines.front().empty() ? '\0' : lines.front().front();
    if (std::all_of(lines.begin(), lines.end(), [&](const std::string& l) { return !l.empty() && l.front() == first; }))
        starts.push_back(first);
    std::vector<std::optional<char>> separators = {std::nullopt};
    for (const char c : kTextSeparators) separators.push_back(c);
    const bool crlf = std::all_of(lines.begin(), lines.end(), [](const std::string& l) { return LineEnd(l) == "\r\n"; });
    std::vector<TextCheckForm> forms;
    for (const int digits : kTextDigitCounts) {
        for (const bool pairs : {false, true}) {
            for (const auto& start : starts) {
                for (const auto& separator : separators) {
                    for (const bool lower : {false, true}) {
                        TextCheckForm form;
                        form.start = start;
                        form.separator = separator;
                        form.digits = digits;
                        form.lower = lower;
                        form.pairs = pairs;
                        form.crlf = crlf;
                        forms.push_back(form);
                    }
                }
            }
        }
    }
    return forms;
}

}  // namespace

TextSearchResult SearchTextLines(const std::vector<std::string>& lines, bool keep_weak) {
    const std::vector<CheckMethod>& methods = NamedCheckMethods();
    // Hypotheses tried, by digits: each check of that width on each form
    // every line fits. A line that fits a form in one case fits it in the
    // other: the case is a hypothesis of its own, as a byte order is.
    std::vector<double> tried(9, 0.0);
    struct Held {
        std::size_t method;
        TextCheckForm form;
        std::vector<Bytes> frames;  // span then check, as a binary frame would hold them
    };
    std::vector<Held> held;
    for (const TextCheckForm& form : FormsToTry(lines)) {
        std::vector<TextLineParts> parts(lines.size());
        std::string why;
        bool fits = true;
        for (std::size_t i = 0; i < lines.size() && fits; ++i) fits = SplitTextLine(lines[i], form, parts[i], why);
        if (!fits) continue;
        // The other case cannot write what this one's letters spell.
        const bool case_fits = std::none_of(parts.begin(), parts.end(), [&](const TextLineParts& p) {
            return form.lower ? HasUpperLetter(p.written) : HasLowerLetter(p.written);
        });
        // With no letter on any line both cases hold alike: name the upper.
        const bool same_as_upper = form.lower && std::none_of(parts.begin(), parts.end(), [](const TextLineParts& p) {
                                       return HasLowerLetter(p.written);
                                   });
        for (std::size_t m = 0; m < methods.size(); ++m) {
            const CheckMethod& method = methods[m];
            if (method.width() != form.digits * 4) continue;
            tried[static_cast<std::size_t>(form.digits)] += 1;
            if (!case_fits || same_as_upper) continue;
            Held candidate{m, form, {}};
            bool holds = true;
            for (const TextLineParts& p : parts) {
                Uint128 value;
                ComputeTextCheck(method, form, p.span, value);
                if (value.low != ReadHexValue(p.written)) {
                    holds = false;
                    break;
                }
                Bytes frame;
                if (form.pairs) {
                    DecodePairs(p.span, frame);
                } else {
                    frame.assign(p.span.begin(), p.span.end());
                }
                const Bytes check = CheckBytes(value, method.byte_count(), CheckOrder::kBigEndian);
                frame.insert(frame.end(), check.begin(), check.end());
                candidate.frames.push_back(std::move(frame));
            }
            if (holds) held.push_back(std::move(candidate));
        }
    }
    TextSearchResult result;
    std::vector<TextMatch> believed;
    for (const Held& h : held) {
        TextMatch match{methods[h.method], h.form};
        match.lines = std::set<Bytes>(h.frames.begin(), h.frames.end()).size();
        // The frames' own evidence: alike frames count once, and frames of
        // little variety count only as far as their structure allows.
        const double bits = CheckEvidenceBits(match.method, CheckOrder::kBigEndian, 0, 0, h.frames);
        match.chance = std::min(1.0, tried[static_cast<std::size_t>(h.form.digits)] * std::exp2(-bits));
        match.weak = !(match.chance < kChanceLimit);
        (match.weak ? result.weak : believed).push_back(match);
    }
    const auto by_chance = [](const TextMatch& a, const TextMatch& b) { return a.chance < b.chance; };
    std::stable_sort(believed.begin(), believed.end(), by_chance);
    std::stable_sort(result.weak.begin(), result.weak.end(), by_chance);
    result.matches = believed;
    if (keep_weak) result.matches.insert(result.matches.end(), result.weak.begin(), result.weak.end());
    return result;
}
