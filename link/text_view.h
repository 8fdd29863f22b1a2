// Received bytes as text for a terminal line: GBK or UTF-8 decoded to UTF-8,
// a character split between two reads kept until its last byte comes, and
// every byte that is no character shown as \xHH, never dropped. Control
// characters are written as escapes (\r, \n, \t, \xHH) so that a line end in
// the data is seen and a frame stays on one line.
#pragma once

#include <cstddef>
#include <string>

enum class TextEncoding { kUtf8, kGbk };

class TextView {
public:
    explicit TextView(TextEncoding encoding) : encoding_(encoding) {}

    // The text of `bytes` after what came before; the start of a character
    // they end with stays pending.
    std::string Decode(const unsigned char* bytes, std::size_t size);
    // The pending bytes, which no later byte can complete, as \xHH.
    std::string Finish();

    std::size_t pending() const { return pending_.size(); }

private:
    // How many of the bytes at `pos` make one character: its UTF-8 in `out`;
    // 0 when more bytes are needed to know; the bytes that make no character
    // give 1 with "\xHH" in `out`.
    std::size_t DecodeOne(const std::string& bytes, std::size_t pos, bool more_may_come, std::string& out) const;

    TextEncoding encoding_;
    std::string pending_;
};

// `bytes` as "%02X " bytes, exactly, without the last blank.
std::string HexLine(const unsigned char* bytes, std::size_t size);
