// Checks written as hex digits at the end of a text line: NMEA 0183's
// `$GPGGA,...*47` (XOR-8 of the characters between `$` and `*`), Modbus
// ASCII's `:1103006B00037E` (the LRC, SUM-8/TWOS, of the bytes the hex pairs
// spell), a vendor's `...,A5F3`. Built, verified and searched for, each named
// by one line of words: "XOR-8 text from=$ to=* hex2".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/frames/check_method.h"

// Where a line's check is, and how it is written.
struct TextCheckForm {
    // The character the line begins with, left out of the span ($, !, :);
    // none: the span begins with the line's first character.
    std::optional<char> start;
    // The character between the span and the check (*, ",", ;); none: the
    // check follows the span directly.
    std::optional<char> separator;
    int digits = 2;      // 2, 4 or 8 hex digits
    bool lower = false;  // a to f rather than A to F
    bool pairs = false;  // the span is hex pairs, and the check is over the bytes they spell
    bool crlf = false;   // the line ends with CR LF
};

// The separators and start characters `SearchTextLines` tries.
constexpr char kTextSeparators[] = {'*', ',', ';'};
constexpr int kTextDigitCounts[] = {2, 4, 8};

// "XOR-8 text from=$ to=* hex2", "SUM-8/TWOS text from=: to=none hex2 pairs crlf".
std::string TextCheckWords(const CheckMethod& method, const TextCheckForm& form);
// The words back: the check (a name or a CRC parameter line) then `text`
// (optional) and the form's words, any order; hexN defaults to the check's
// width, from= to the line's first character, to= to none. False with one
// line saying why in `error`; `note` as ResolveCheckMethod sets it.
bool ReadTextCheck(std::string_view words, CheckMethod& method, TextCheckForm& form, std::string& note,
                   std::string& error);

// The check's value as the form writes it.
std::string WriteTextCheckValue(Uint128 value, const TextCheckForm& form);

// A line taken apart by a form: the span the check is over, the check's
// digits as written, and the line end (CR LF, LF, CR or none).
struct TextLineParts {
    std::string_view span, written, line_end;
};
// False with why (one line) when the line has no such parts: it does not
// begin with the start character, has no separator before the digits, or
// its last characters are not hex digits; or (with `pairs`) the span is
// not hex pairs.
bool SplitTextLine(std::string_view line, const TextCheckForm& form, TextLineParts& parts, std::string& why);

// The check over a span as the form reads it; false when `pairs` and the
// span is not hex pairs.
bool ComputeTextCheck(const CheckMethod& method, const TextCheckForm& form, std::string_view span, Uint128& value);

// `line` with its check written at its end: the separator when the line
// does not end with it already, the digits, and CR LF with `crlf` (the line
// is taken without its line end, if any). False with why.
bool BuildTextLine(const CheckMethod& method, const TextCheckForm& form, std::string_view line, std::string& built,
                   std::string& why);

struct TextVerdict {
    bool ok = false;
    std::string expected, got;  // the digits the span gives, and those the line holds
    std::string problem;        // the line has no parts of this form: why
};
TextVerdict VerifyTextLine(const CheckMethod& method, const TextCheckForm& form, std::string_view line);

// One check and form that holds on every line, and how far the lines bear
// it out (as FrameMatch's `chance` and `weak`).
struct TextMatch {
    CheckMethod method;
    TextCheckForm form;
    std::size_t lines = 0;  // different lines
    double chance = 1;
    bool weak = true;
};

struct TextSearchResult {
    // Believed ones, least likely luck first; then, only when asked, the weak ones.
    std::vector<TextMatch> matches;
    // The weak ones, best first, whether kept in `matches` or not.
    std::vector<TextMatch> weak;
};

// Every named check of 8, 16 and 32 bits on every form: from the line's
// first character or after it, each separator or none, 2, 4 or 8 digits in
// upper or lower case, over the characters or the hex pairs they spell.
// `lines` must not be empty; each may end with its line end.
TextSearchResult SearchTextLines(const std::vector<std::string>& lines, bool keep_weak);
