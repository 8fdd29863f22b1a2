// What quobrix find says about frames, in words both faces show: the
// command line on its streams, the window's find page in its list and under it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "workbench/frames/frame_search.h"
#include "workbench/frames/text_check.h"

// The most head or tail bytes --max-skip allows.
constexpr std::size_t kMaxSkipLimit = 64;

// --max-skip's count in decimal, 0 to kMaxSkipLimit; else false and the
// error in the option's words.
bool ReadMaxSkip(const std::string& word, std::size_t& max_skip, std::string& error);
// The same for `option`'s count of bytes (--head, --tail).
bool ReadSkipCount(const std::string& option, const std::string& word, std::size_t& count, std::string& error);

// What the user narrowed the search to, for the notes: the options as
// given ("--width 16 --order le"), none when nothing was narrowed; and
// whether --max-skip still bounds the head or the tail.
struct FindNarrowing {
    std::string options;
    bool max_skip_bounds = true;
};

// A frame's text with its number (from 1) for messages.
struct NumberedLine {
    std::size_t number;
    std::string text;
};

// The frames of a text: one a line, blank lines skipped, numbered by their
// lines. A line ends at LF, CR LF or a bare CR (as older terminals and serial
// tools save them); a UTF-8 byte order mark before the first is dropped.
std::vector<NumberedLine> FrameLines(const std::string& input);

// A chance as a short number: 2e-07, 0.003.
std::string ChanceText(double chance);

// be, le, or - for a one-byte check.
std::string OrderWord(const FrameMatch& match);

// "CRC-16/MODBUS le head=0 tail=0", or for a recovered CRC its parameter
// line with check and residue, then the same words.
std::string FindLine(const FrameMatch& match);

// The note before a recovery that takes about `seconds`, without the
// command line's prefix.
std::string SlowRecoveryNote(double seconds);

// The notes after the lines, each one line without the command line's
// prefix: what the frames cannot tell apart, and then how far they bear the
// first line out, what would decide, or what to try when nothing fits
// (`max_skip` as searched, within `narrowing`). True when the first line is
// believed.
bool FindNotes(const FrameSearchResult& result, std::size_t max_skip, std::vector<std::string>& notes,
               const FindNarrowing& narrowing = {});

// ---- Lines of text with their checks (find --text, frame --text) --------

// A text line as an argument writes it: \r, \n, \xHH and \\ stand for
// their bytes, any other character for itself. False with why in `error`,
// which names the line by `where`.
bool UnescapeTextLine(const std::string& word, const std::string& where, std::string& line, std::string& error);
// A line shown on one line of the terminal: the escapes back, for the
// bytes that are no printable ASCII and for the backslash.
std::string EscapeTextLine(const std::string& line);

// The lines of a text each with its line end (LF, CR LF or a bare CR) kept,
// numbered by their lines, blank ones skipped; a UTF-8 byte order mark
// before the first is dropped.
std::vector<NumberedLine> TextLines(const std::string& input);

// "XOR-8 text from=$ to=* hex2", with "  (weak)" when it is.
std::string TextFindLine(const TextMatch& match);
// As FindNotes, for lines of text: true when the first line is believed.
bool TextFindNotes(const TextSearchResult& result, std::vector<std::string>& notes);
