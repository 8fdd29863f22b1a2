#include "workbench/c_array/c_array_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Longer than any number or character literal of 64 bits: a longer word is
// kept only this far, for its message.
constexpr std::size_t kMaxWord = 80;

bool IsWordChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '+' ||
           c == '-' || c == '.';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool StartsNumber(const std::string& word) {
    const std::size_t first = !word.empty() && (word[0] == '+' || word[0] == '-') ? 1 : 0;
    return first < word.size() && word[first] >= '0' && word[first] <= '9';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// C's integer suffixes: u, l or ll in either case and either order (lL is none).
bool IsIntegerSuffix(const char* suffix, std::size_t size) {
    if (size == 0) return true;
    static const char* const kSuffixes[] = {"",    "u",   "U",   "l",   "L",   "ll",  "LL",  "ul",
                                            "uL",  "Ul",  "UL",  "lu",  "lU",  "Lu",  "LU",  "ull",
                                            "uLL", "Ull", "ULL", "llu", "llU", "LLu", "LLU"};
    for (const char* s : kSuffixes) {
        if (std::strlen(s) == size && std::memcmp(s, suffix, size) == 0) return true;
    }
    return false;
}

enum class Parse { Ok, NoNumber, TooLarge };

// The digits of `text` from `pos` in `base` up to a suffix; at least one digit.
Parse Digits(const std::string& text, std::size_t pos, int base, std::uint64_t& value) {
    value = 0;
    const std::size_t start = pos;
    const auto b = static_cast<std::uint64_t>(base);
    // Beyond these the next digit overflows: divided once, not per digit.
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() / b;
    const std::uint64_t last = std::numeric_limits<std::uint64_t>::max() % b;
    bool too_large = false;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= base) break;
        const auto d = static_cast<std::uint64_t>(digit);
        if (value > limit || (value == limit && d > last)) too_large = true;
        value = value * b + d;
    }
    if (pos == start || !IsIntegerSuffix(text.data() + pos, text.size() - pos)) return Parse::NoNumber;
    return too_large ? Parse::TooLarge : Parse::Ok;
}

// An integer literal without its sign: 0x hex, 0b binary, 0 octal, or decimal.
Parse IntegerLiteral(const std::string& text, std::size_t pos, std::uint64_t& value) {
    const char prefix = pos + 1 < text.size() && text[pos] == '0' ? text[pos + 1] : '\0';
    if (prefix == 'x' || prefix == 'X') return Digits(text, pos + 2, 16, value);
    if (prefix == 'b' || prefix == 'B') return Digits(text, pos + 2, 2, value);
    if (pos < text.size() && text[pos] == '0') return Digits(text, pos, 8, value);
    return Digits(text, pos, 10, value);
}

// The byte of a character literal's text between its quotes; false when it
// is not exactly one character or escape of one byte.
bool CharacterValue(const std::string& inner, std::uint64_t& value) {
    if (inner.empty()) return false;
    if (inner[0] != '\\') {
        if (inner.size() != 1) return false;
        value = static_cast<unsigned char>(inner[0]);
        return true;
    }
    if (inner.size() < 2) return false;
    const char e = inner[1];
    static const char kSimple[] = "n\nt\tr\ra\ab\bf\fv\v\\\\''\"\"??";
    for (std::size_t i = 0; kSimple[i] != '\0'; i += 2) {
        if (e == kSimple[i]) {
            value = static_cast<unsigned char>(kSimple[i + 1]);
            return inner.size() == 2;
        }
    }
    std::size_t pos = 1;
    value = 0;
    if (e == 'x') {
        for (pos = 2; pos < inner.size() && DigitValue(inner[pos]) < 16; ++pos) {
            value = value * 16 + static_cast<std::uint64_t>(DigitValue(inner[pos]));
            if (value > 0xFF) return false;
        }
        return pos > 2 && pos == inner.size();
    }
    for (; pos < inner.size() && pos < 4 && DigitValue(inner[pos]) < 8; ++pos) {
        value = value * 8 + static_cast<std::uint64_t>(DigitValue(inner[pos]));
    }
    return pos > 1 && pos == inner.size() && value <= 0xFF;
}

std::string Quoted(const std::string& word, bool long_word) {
    return "'" + word + (long_word ? "...'" : "'");
}

}  // namespace

CArrayReader::CArrayReader(int element_size, bool big_endian) : element_size_(element_size), big_endian_(big_endian) {}

bool CArrayReader::Fail(std::uint64_t line, const std::string& what) {
    error_ = "line " + std::to_string(line) + ": " + what;
    return false;
}

bool CArrayReader::Emit(bool negative, std::uint64_t magnitude, const std::string& word, std::uint64_t line,
                        std::string& out) {
    const int bits = 8 * element_size_;
    const std::uint64_t max = bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
    const std::uint64_t most_negative = std::uint64_t{1} << (bits - 1);
    if (negative ? magnitude > most_negative : magnitude > max) {
        const std::string bytes = element_size_ == 1 ? "1 byte" : std::to_string(element_size_) + " bytes";
        return Fail(line, Quoted(word, false) + " does not fit in " + bytes + " (0 to " + std::to_string(max) +
                              ", or -" + std::to_string(most_negative) + " to -1)");
    }
    const std::uint64_t value = (negative ? 0 - magnitude : magnitude) & max;
    for (int k = 0; k < element_size_; ++k) {
        const int shift = 8 * (big_endian_ ? element_size_ - 1 - k : k);
        out += static_cast<char>(static_cast<unsigned char>(value >> shift));
    }
    return true;
}

bool CArrayReader::Number(const std::string& word, bool is_char, std::uint64_t line, std::string& out) {
    std::uint64_t value = 0;
    if (is_char) {
        // The text between the quotes; a literal cut short has no closing one.
        if (word_long_ || word.size() < 2 || !CharacterValue(word.substr(1, word.size() - 2), value)) {
            return Fail(line, Quoted(word, word_long_) + " is not a character literal of one byte");
        }
        return Emit(false, value, word, line, out);
    }
    const bool negative = word[0] == '-';
    const std::size_t start = word[0] == '-' || word[0] == '+' ? 1 : 0;
    const Parse parse = word_long_ ? Parse::NoNumber : IntegerLiteral(word, start, value);
    if (parse == Parse::NoNumber) {
        return Fail(line, Quoted(word, word_long_) +
                              " is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character literal)");
    }
    if (parse == Parse::TooLarge) return Fail(line, Quoted(word, false) + " is larger than 64 bits");
    return Emit(negative, value, word, line, out);
}

// A word or character literal is complete.
bool CArrayReader::EndWord(std::string& out) {
    const bool is_char = word_[0] == '\'';
    lex_ = Lex::Code;
    switch (state_) {
        case State::Before:
            if (!is_char && !StartsNumber(word_)) {
                state_ = State::Prelude;
                return true;
            }
            bare_ = true;
            state_ = State::Expect;
            break;
        case State::Prelude:
        case State::Done:
            return true;
        case State::After:
            return Fail(word_line_, Quoted(word_, word_long_) + " follows the number before it without a comma");
        case State::Expect:
            break;
    }
    state_ = State::After;
    return Number(word_, is_char, word_line_, out);
}

bool CArrayReader::Punctuation(char c) {
    switch (state_) {
        case State::Before:
        case State::Prelude:
            if (c == '{') {
                state_ = State::Expect;
                depth_ = 1;
                open_line_ = line_;
            } else {
                state_ = State::Prelude;
            }
            return true;
        case State::Done:
            return true;
        case State::Expect:
        case State::After:
            break;
    }
    if (c == ',' && state_ == State::After) {
        state_ = State::Expect;
        return true;
    }
    if (c == ',') return Fail(line_, "',' with no number before it");
    if (c == '{' && state_ == State::Expect && !bare_) {
        ++depth_;
        return true;
    }
    if (c == '{') return Fail(line_, "'{' follows the number before it without a comma");
    if (c == '}' && !bare_) {
        state_ = --depth_ == 0 ? State::Done : State::After;
        return true;
    }
    if (c == '}') return Fail(line_, "'}' closes no '{' (the numbers started without one)");
    return Fail(line_, std::string("'") + c + "' is not part of a number");
}

bool CArrayReader::Feed(const char* text, std::size_t size, std::string& out) {
    if (!error_.empty()) return false;
    for (std::size_t i = 0; i < size && state_ != State::Done; ++i) {
        const char c = text[i];
        switch (lex_) {
            case Lex::Code:
                if (IsBlank(c)) {
                    if (c == '\n') ++line_;
                } else if (c == '/') {
                    lex_ = Lex::Slash;
                } else if (IsWordChar(c) || c == '\'') {
                    word_.assign(1, c);
                    word_long_ = false;
                    word_line_ = line_;
                    lex_ = c == '\'' ? Lex::Char : Lex::Word;
                } else if (!Punctuation(c)) {
                    return false;
                }
                break;
            case Lex::Slash:
                if (c == '/' || c == '*') {
                    lex_ = c == '/' ? Lex::LineComment : Lex::BlockComment;
                    comment_line_ = line_;
                    break;
                }
                lex_ = Lex::Code;
                if (!Punctuation('/')) return false;
                --i;  // `c` again, as code
                break;
            case Lex::LineComment:
                if (c == '\n') {
                    ++line_;
                    lex_ = Lex::Code;
                }
                break;
            case Lex::BlockComment:
            case Lex::BlockStar:
                if (c == '\n') ++line_;
                lex_ = c == '*' ? Lex::BlockStar : (lex_ == Lex::BlockStar && c == '/') ? Lex::Code : Lex::BlockComment;
                break;
            case Lex::Word: {
                // The rest of the word in this block, taken at once.
                std::size_t end = i;
                while (end < size && IsWordChar(text[end])) ++end;
                const std::size_t room = kMaxWord - std::min(kMaxWord, word_.size());
                word_.append(text + i, std::min(room, end - i));
                if (end - i > room) word_long_ = true;
                if (end == size) {
                    i = size - 1;
                    break;
                }
                if (!EndWord(out)) return false;
                i = end - 1;  // the character after the word, next, as code
                break;
            }
            case Lex::Char:
            case Lex::CharEscape:
                if (c == '\n') return Fail(line_, Quoted(word_, word_long_) + " is not closed on its line");
                if (word_.size() < kMaxWord) {
                    word_ += c;
                } else {
                    word_long_ = true;
                }
                if (lex_ == Lex::Char && c == '\'') {
                    if (!EndWord(out)) return false;
                } else {
                    lex_ = lex_ == Lex::Char && c == '\\' ? Lex::CharEscape : Lex::Char;
                }
                break;
        }
    }
    return true;
}

bool CArrayReader::Finish(std::string& out) {
    if (!error_.empty()) return false;
    if (state_ == State::Done) return true;
    switch (lex_) {
        case Lex::Code:
        case Lex::LineComment:
            break;
        case Lex::Slash:
            lex_ = Lex::Code;
            if (!Punctuation('/')) return false;
            break;
        case Lex::Word:
            if (!EndWord(out)) return false;
            break;
        case Lex::Char:
        case Lex::CharEscape:
            return Fail(word_line_, Quoted(word_, word_long_) + " is not closed");
        case Lex::BlockComment:
        case Lex::BlockStar:
            return Fail(comment_line_, "the comment that opens here is never closed");
    }
    switch (state_) {
        case State::Before:
            error_ = "no numbers: the text is empty or holds only comments";
            return false;
        case State::Prelude:
            error_ = "no '{' opens an initialiser, and the text does not start with a number";
            return false;
        case State::Expect:
        case State::After:
            if (bare_) return true;
            return Fail(open_line_, "the '{' here is never closed");
        case State::Done:
            break;
    }
    return true;
}
