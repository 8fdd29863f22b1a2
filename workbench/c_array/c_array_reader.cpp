#include "workbench/c_array/c_array_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

// Longer than any number or character literal of 64 bits once its leading
// zeros are dropped: a longer word is kept only this far, for its message.
constexpr std::size_t kMaxWord = 80;
// The first tokens of a directive kept: its name and what it names.
constexpr std::size_t kDirectiveTokens = 4;
// So many #define'd names at most are remembered; text with more is refused.
constexpr std::size_t kMaxMacros = 100000;
// Zeros of padding are handed to the flush in blocks of this size.
constexpr std::size_t kZeroBlock = std::size_t{1} << 16;
constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();
// gcc's limit for one object on a 64-bit target: PTRDIFF_MAX bytes.
constexpr std::uint64_t kMaxObjectBytes = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};

bool IsWordChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '+' ||
           c == '-' || c == '.';
}

// '\r' is made '\n' before the lexer sees it.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

bool IsIdentifier(const std::string& word) {
    if (word.empty() || (word[0] >= '0' && word[0] <= '9')) return false;
    return std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    });
}

bool StartsNumber(const std::string& word) {
    const std::size_t first = !word.empty() && (word[0] == '+' || word[0] == '-') ? 1 : 0;
    return first < word.size() && word[first] >= '0' && word[first] <= '9';
}

// A zero that changes neither the value nor the form of the number being
// read: its digits so far (after a sign and a 0x or 0b) are "00". Leading
// zeros are dropped so that no count of them makes a number too long.
bool RedundantZero(const std::string& word, char c) {
    if (c != '0') return false;
    std::size_t digits = !word.empty() && (word[0] == '+' || word[0] == '-') ? 1 : 0;
    if (word.size() >= digits + 2 && word[digits] == '0' &&
        (word[digits + 1] == 'x' || word[digits + 1] == 'X' || word[digits + 1] == 'b' || word[digits + 1] == 'B')) {
        digits += 2;
    }
    return word.size() == digits + 2 && word[digits] == '0' && word[digits + 1] == '0';
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

std::string Decimal(std::uint64_t n) { return std::to_string(n); }

}  // namespace

CArrayReader::CArrayReader(int element_size, bool big_endian, bool char_is_signed)
    : element_size_(element_size), big_endian_(big_endian), char_is_signed_(char_is_signed) {}

bool CArrayReader::Fail(const Where& where, const std::string& what) {
    error_ = Format(Tr("line %1$s, column %2$s: %3$s"), {Decimal(where.line), Decimal(where.column), what});
    return false;
}

// ---- Bytes to characters: the BOM, line ends, lines joined -------------

bool CArrayReader::Feed(const char* text, std::size_t size, std::string& out) {
    if (!error_.empty()) return false;
    for (std::size_t i = 0; i < size; ++i) {
        char c = text[i];
        // A UTF-8 BOM before the text is no part of it, as gcc reads it.
        if (bytes_seen_ < 3) {
            ++bytes_seen_;
            if (static_cast<std::uint64_t>(bom_matched_) + 1 == bytes_seen_ &&
                static_cast<unsigned char>(c) == kBom[bom_matched_]) {
                if (++bom_matched_ == 3) at_.column = 1;
                continue;
            }
            // Not a BOM after all: the bytes taken for one are text.
            for (int k = 0; k < bom_matched_; ++k) {
                const Where where{1, static_cast<std::uint64_t>(k) + 1};
                if (!Spliced(static_cast<char>(kBom[k]), where, out)) return false;
            }
            at_.column = static_cast<std::uint64_t>(bom_matched_) + 1;
            bom_matched_ = 0;
            bytes_seen_ = 3;
        }
        // "\r\n" and a lone '\r' end a line as '\n' does.
        if (after_cr_ && c == '\n') {
            after_cr_ = false;
            continue;
        }
        after_cr_ = c == '\r';
        if (after_cr_) c = '\n';
        const Where where = at_;
        if (c == '\n') {
            ++at_.line;
            at_.column = 1;
        } else {
            ++at_.column;
        }
        if (!Spliced(c, where, out)) return false;
    }
    return true;
}

// A backslash before a line's end (blanks between, as gcc allows) joins the
// lines before anything else is read: "// note \" comments out the next line.
bool CArrayReader::Spliced(char c, const Where& where, std::string& out) {
    if (backslash_) {
        if (IsBlank(c)) {
            if (backslash_blanks_.size() < kMaxWord) backslash_blanks_ += c;
            return true;
        }
        backslash_ = false;
        if (c == '\n') {
            backslash_blanks_.clear();
            return true;
        }
        if (!LexChar('\\', backslash_at_, out)) return false;
        Where blank_at = backslash_at_;
        for (const char blank : backslash_blanks_) {
            ++blank_at.column;
            if (!LexChar(blank, blank_at, out)) return false;
        }
        backslash_blanks_.clear();
    }
    if (c == '\\') {
        backslash_ = true;
        backslash_at_ = where;
        return true;
    }
    return LexChar(c, where, out);
}

// ---- Characters to tokens ----------------------------------------------

bool CArrayReader::LexChar(char c, const Where& where, std::string& out) {
    switch (lex_) {
        case Lex::Code:
            if (c == '\n') return Newline(out);
            if (IsBlank(c)) {
                punctuation_adjacent_ = false;
                return true;
            }
            if (c == '/') {
                lex_ = Lex::Slash;
                slash_at_ = where;
                return true;
            }
            if (IsWordChar(c) || c == '\'' || c == '"') {
                punctuation_adjacent_ = false;
                word_.assign(1, c);
                word_long_ = false;
                word_at_ = where;
                lex_ = c == '\'' ? Lex::Char : c == '"' ? Lex::String : Lex::Word;
                return true;
            }
            return Punctuation(c, where, out);
        case Lex::Slash:
            if (c == '/' || c == '*') {
                lex_ = c == '/' ? Lex::LineComment : Lex::BlockComment;
                comment_at_ = slash_at_;
                punctuation_adjacent_ = false;
                return true;
            }
            lex_ = Lex::Code;
            if (!Punctuation('/', slash_at_, out)) return false;
            return LexChar(c, where, out);
        case Lex::LineComment:
            if (c != '\n') return true;
            lex_ = Lex::Code;
            return Newline(out);
        case Lex::BlockComment:
        case Lex::BlockStar:
            // A comment is a blank: a line that starts with one may still be a directive.
            lex_ = c == '*' ? Lex::BlockStar : (lex_ == Lex::BlockStar && c == '/') ? Lex::Code : Lex::BlockComment;
            return true;
        case Lex::Word:
            if (IsWordChar(c)) {
                if (RedundantZero(word_, c)) return true;
                if (word_.size() < kMaxWord) {
                    word_ += c;
                } else {
                    word_long_ = true;
                }
                return true;
            }
            if (!EndWord(out)) return false;
            return LexChar(c, where, out);
        case Lex::Char:
        case Lex::CharEscape:
        case Lex::String:
        case Lex::StringEscape: {
            if (c == '\n') {
                // gcc only warns of an open quote in a directive or a skipped group.
                if (!in_directive_ && !Skipping()) {
                    return Fail(word_at_, Format(Tr("%1$s is not closed on its line"), {Quoted(word_, word_long_)}));
                }
                lex_ = Lex::Code;
                return Newline(out);
            }
            if (word_.size() < kMaxWord) {
                word_ += c;
            } else {
                word_long_ = true;
            }
            const bool is_char = lex_ == Lex::Char || lex_ == Lex::CharEscape;
            if (lex_ == Lex::CharEscape || lex_ == Lex::StringEscape) {
                lex_ = is_char ? Lex::Char : Lex::String;
            } else if (c == (is_char ? '\'' : '"')) {
                return EndWord(out);
            } else if (c == '\\') {
                lex_ = is_char ? Lex::CharEscape : Lex::StringEscape;
            }
            return true;
        }
    }
    return true;
}

// The end of a logical line: a directive's end.
bool CArrayReader::Newline(std::string&) {
    line_start_ = true;
    if (!in_directive_) return true;
    in_directive_ = false;
    return EndDirective();
}

bool CArrayReader::EndWord(std::string& out) {
    lex_ = Lex::Code;
    return Token(word_, word_[0] == '\'' || word_[0] == '"', word_at_, out);
}

bool CArrayReader::Token(const std::string& token, bool is_literal, const Where& where, std::string& out) {
    line_start_ = false;
    if (in_directive_) {
        if (directive_.size() < kDirectiveTokens) directive_.push_back(token);
        return true;
    }
    if (Skipping()) return true;
    return CodeToken(token, is_literal, where, out);
}

bool CArrayReader::Punctuation(char c, const Where& where, std::string& out) {
    const bool line_start = line_start_;
    line_start_ = false;
    if (in_directive_) {
        if (directive_.size() < kDirectiveTokens) directive_.push_back(std::string(1, c));
        return true;
    }
    if (c == '#' && line_start) {
        in_directive_ = true;
        directive_at_ = where;
        directive_.clear();
        return true;
    }
    if (Skipping()) return true;
    // <% %> <: :> %: are { } [ ] #: read as punctuation they would pass over
    // what gcc takes for the array's braces.
    const char before = last_punctuation_;
    const bool adjacent = punctuation_adjacent_;
    last_punctuation_ = c;
    punctuation_adjacent_ = true;
    if (adjacent && (state_ == State::Before || state_ == State::Prelude) &&
        ((before == '<' && (c == '%' || c == ':')) || (before == '%' && (c == '>' || c == ':')) ||
         (before == ':' && c == '>'))) {
        return Fail(where,
                    Format(Tr("the digraph '%1$s' is not read: write # { } [ ] for it"), {std::string{before, c}}));
    }
    if (state_ == State::Done) return true;
    if (state_ == State::Before || state_ == State::Prelude) {
        return PreludeToken(std::string(1, c), false, where);
    }
    // Within the initialiser.
    if (c == ',') {
        if (state_ != State::After) return Fail(where, Tr("',' with no number before it"));
        state_ = State::Expect;
        return true;
    }
    if (c == '{') {
        if (bare_) return Fail(where, Tr("'{' among numbers that started without one"));
        if (state_ == State::After) return Fail(where, Tr("'{' follows the number before it without a comma"));
        const Brace& outer = braces_.back();
        if (outer.scalar) return Fail(where, Tr("'{' inside the braces around one element"));
        if (position_ >= outer.end) {
            const std::uint64_t elements = spans_[outer.level];
            return Fail(where, Format(TrN("'{' is beyond the %1$s element of %2$s (gcc drops what follows)",
                                          "'{' is beyond the %1$s elements of %2$s (gcc drops what follows)", elements),
                                      {Decimal(elements), Holder(outer)}));
        }
        // C's rule: the braces take the next whole part the elements so far
        // leave off at, the largest one that starts here.
        std::size_t level = outer.level + 1;
        while (position_ % spans_[level] != 0) ++level;
        Brace inner;
        inner.end = position_ + spans_[level];
        inner.level = level;
        inner.scalar = level + 1 == spans_.size();
        inner.where = where;
        braces_.push_back(inner);
        return true;
    }
    if (c == '}') {
        if (bare_) return Fail(where, Tr("'}' closes no '{' (the numbers started without one)"));
        const Brace closed = braces_.back();
        braces_.pop_back();
        if (closed.scalar && position_ < closed.end) {
            return Fail(closed.where, Tr("the braces here hold no number (gcc: empty scalar initializer)"));
        }
        std::uint64_t end = closed.end;
        if (end == kUnknown) {
            // [] is as long as its elements: whole elements of the first index.
            const std::uint64_t row = spans_[1];
            end = (position_ + row - 1) / row * row;
        }
        if (!ZerosTo(end, out)) return false;
        state_ = braces_.empty() ? State::Done : State::After;
        return true;
    }
    return Fail(where, Format(Tr("'%1$s' is not part of a number"), {std::string(1, c)}));
}

// ---- The declaration ---------------------------------------------------

namespace {

// Names gcc defines as macros in its GNU modes (the default) but not in its
// strict ones: whether they are defined depends on how gcc is run.
bool PredefinedByGnuModes(const std::string& name) {
    return name == "unix" || name == "linux" || name == "i386";
}

// The --type words for elements of each size.
const char* const kTypesOfSize[9] = {"", " (u8)", " (u16le, u16be)", "", " (u32le, u32be)", "", "", "", ""};

// The bytes of one element of an array declared with these words, where
// every target gcc builds for agrees on it; 0 where the words name no such
// type (a typedef of the text's own, long, whose size is the target's).
int DeclaredElementSize(const std::vector<std::string>& words) {
    int chars = 0, shorts = 0, longs = 0, ints = 0;
    for (const std::string& word : words) {
        if (word == "uint8_t" || word == "int8_t") return 1;
        if (word == "uint16_t" || word == "int16_t") return 2;
        if (word == "uint32_t" || word == "int32_t") return 4;
        if (word == "uint64_t" || word == "int64_t") return 8;
        chars += word == "char";
        shorts += word == "short";
        longs += word == "long";
        ints += word == "int" || word == "signed" || word == "unsigned";
    }
    if (chars > 0) return 1;
    if (shorts > 0) return 2;
    if (longs >= 2) return 8;
    if (longs == 0 && ints > 0) return 4;
    return 0;
}

}  // namespace

// A token before the initialiser: the declaration is followed far enough to
// know the array's sizes, and that no macro reshapes it.
bool CArrayReader::PreludeToken(const std::string& token, bool is_literal, const Where& where) {
    if (state_ == State::Before && (token[0] == '\'' || StartsNumber(token))) {
        // The numbers alone, without braces.
        bare_ = true;
        spans_ = {kUnknown, 1};
        braces_.push_back(Brace{kUnknown, 0, false, where});
        state_ = State::Expect;
        return true;
    }
    const bool punctuation = token.size() == 1 && !IsWordChar(token[0]) && !is_literal;
    const char c = punctuation ? token[0] : '\0';
    if (c == '{' && (previous_token_ == "=" || state_ == State::Before)) return OpenInitialiser(where);
    state_ = State::Prelude;
    declaration_tokens_ = true;
    if (in_brackets_) {
        if (c != ']') {
            bracket_tokens_.push_back(token);
            return true;
        }
        in_brackets_ = false;
        previous_token_ = "]";
        std::uint64_t size = 0;
        if (bracket_tokens_.empty()) {
            if (!sizes_.empty() && sizes_read_) {
                sizes_read_ = false;
                sizes_problem_at_ = bracket_at_;
                sizes_problem_ = Tr("only the first size of an array may be left out");
            }
            sizes_.push_back(kUnknown);
            return true;
        }
        if (bracket_tokens_.size() != 1 || !StartsNumber(bracket_tokens_[0]) ||
            IntegerLiteral(bracket_tokens_[0], 0, size) != Parse::Ok) {
            if (sizes_read_) {
                sizes_read_ = false;
                sizes_problem_at_ = bracket_at_;
                sizes_problem_ =
                    Format(Tr("the array's size %1$s is not read: write it as a number, or leave it out ([])"),
                           {Quoted(bracket_tokens_[0], false)});
            }
        }
        sizes_.push_back(size);
        return true;
    }
    if (c == '[') {
        if (previous_token_ == "name") {
            sizes_.clear();
            sizes_read_ = true;
        } else if (previous_token_ != "]" && sizes_read_) {
            sizes_read_ = false;
            sizes_problem_at_ = where;
            sizes_problem_ = Tr("a declarator the reader does not follow: NAME[..] = { .. } is");
        }
        in_brackets_ = true;
        bracket_tokens_.clear();
        bracket_at_ = where;
        previous_token_ = "[";
        return true;
    }
    if (c == '(') ++parens_;
    if (c == ')' && parens_ > 0) --parens_;
    if (c == '{') ++prelude_braces_;
    if (c == '}' && prelude_braces_-- == 0) return Fail(where, Tr("'}' closes no '{'"));
    if (((c == ',' || c == ';') && parens_ == 0) || c == '{' || c == '}') {
        // A new declarator or declaration: the sizes so far were another's.
        sizes_.clear();
        sizes_read_ = true;
        if (c != ',') {
            declaration_macro_ = false;
            // The declarators after a ',' share the declaration's type.
            type_words_.clear();
        }
    }
    if (!punctuation && IsIdentifier(token)) {
        type_words_.push_back(token);
        if ((defined_.count(token) > 0 || PredefinedByGnuModes(token)) && !declaration_macro_) {
            declaration_macro_ = true;
            declaration_macro_name_ = token;
            declaration_macro_at_ = where;
        }
        previous_token_ = "name";
        return true;
    }
    previous_token_ = punctuation ? token : "";
    return true;
}

bool CArrayReader::OpenInitialiser(const Where& where) {
    std::vector<std::uint64_t> sizes = {kUnknown};
    if (declaration_tokens_) {
        if (declaration_macro_) {
            return Fail(declaration_macro_at_,
                        Format(Tr("%1$s is a macro in the array's declaration (#define'd, or gcc's in its GNU modes): "
                                  "what it stands for is not read"),
                               {Quoted(declaration_macro_name_, false)}));
        }
        if (!sizes_read_) return Fail(sizes_problem_at_, sizes_problem_);
        if (sizes_.empty()) return Fail(where, Tr("the '{' here initialises no array: its declaration has no [ ]"));
        // Its numbers read as elements of another size would give other bytes.
        const int declared = DeclaredElementSize(type_words_);
        if (declared == 8 && element_size_ != 8) {
            return Fail(where,
                        Tr("the array's elements are declared of 8 bytes: only elements of 1, 2 and 4 bytes are read"));
        }
        if (declared != 0 && declared != element_size_) {
            const std::string read_as =
                Format(TrN("%1$s byte", "%1$s bytes", static_cast<unsigned>(element_size_)), {Decimal(element_size_)});
            return Fail(where, Format(TrN("the array's elements are declared of %1$s byte, read here as %2$s: give a "
                                          "--type of %1$s byte%3$s",
                                          "the array's elements are declared of %1$s bytes, read here as %2$s: give a "
                                          "--type of %1$s bytes%3$s",
                                          static_cast<unsigned>(declared)),
                                      {Decimal(declared), read_as, kTypesOfSize[declared]}));
        }
        sizes = sizes_;
    }
    // spans_[level]: the elements in one part of that level; the last, 1, is one element.
    spans_.assign(sizes.size() + 1, 1);
    const std::uint64_t max_elements = kMaxObjectBytes / static_cast<std::uint64_t>(element_size_);
    for (std::size_t level = sizes.size(); level-- > 0;) {
        const std::uint64_t size = sizes[level];
        if (size == kUnknown) {
            spans_[level] = kUnknown;
            continue;
        }
        if (size != 0 && spans_[level + 1] > max_elements / size) {
            return Fail(where, Tr("the array is larger than gcc allows an object to be"));
        }
        if (size == 0 && level > 0) return Fail(where, Tr("an array of arrays of no elements is not read"));
        spans_[level] = size * spans_[level + 1];
    }
    braces_.push_back(Brace{spans_[0], 0, sizes.size() == 0, where});
    state_ = State::Expect;
    return true;
}

// ---- Preprocessor lines ------------------------------------------------

// Whether `name` is defined where gcc reads it, when that can be known from
// the text: names it defines or undefines, and names no compiler predefines
// (no lower-case letter, no leading '_') before any #include.
bool CArrayReader::Decided(const std::string& name, const Where& where, bool& defined) {
    if (defined_.count(name) > 0 || undefined_.count(name) > 0) {
        defined = defined_.count(name) > 0;
        return true;
    }
    defined = false;
    if (name == "__cplusplus") return true;  // gcc reading C never defines it
    const bool lower = std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    if (IsIdentifier(name) && !included_ && !lower && name[0] != '_') return true;
    return Fail(where, Format(Tr("%1$s: whether it is defined depends on the compiler or a header: only names the "
                                 "text defines are followed in #if groups"),
                              {Quoted(name, false)}));
}

bool CArrayReader::EndDirective() {
    // Text with preprocessor lines is C: its array is one declared, not a list alone.
    if (state_ == State::Before) state_ = State::Prelude;
    const std::string name = directive_.empty() ? "" : directive_[0];
    const std::string subject = directive_.size() > 1 ? directive_[1] : "";
    const Where& where = directive_at_;
    const bool is_if = name == "if" || name == "ifdef" || name == "ifndef";
    const bool is_elif = name == "elif" || name == "elifdef" || name == "elifndef";
    if (is_if || is_elif) {
        if (is_elif && (conditionals_.empty() || conditionals_.back().seen_else)) {
            const char* const pattern =
                conditionals_.empty() ? Tr("#%1$s with no #if before it") : Tr("#%1$s after #else");
            return Fail(where, Format(pattern, {name}));
        }
        // gcc reads the line of a group not within a skipped one, after the array too.
        if (is_if && !Skipping()) {
            if (name != "if" && !IsIdentifier(subject)) return Fail(where, Format(Tr("#%1$s takes a name"), {name}));
            if (name == "if" && subject.empty()) return Fail(where, Tr("#if takes a condition"));
        }
        if (is_if) {
            Conditional group;
            group.where = where;
            group.outer_taking = !Skipping() && state_ != State::Done;
            group.taken = !group.outer_taking;
            conditionals_.push_back(group);
        }
        Conditional& group = conditionals_.back();
        group.taking = false;
        // A group within one skipped, or after the branch taken, is not evaluated.
        if (!group.outer_taking || group.taken) return true;
        bool value = false;
        if (name == "if" || name == "elif") {
            std::uint64_t number = 0;
            if (directive_.size() != 2 || !StartsNumber(subject) || IntegerLiteral(subject, 0, number) != Parse::Ok) {
                return Fail(where, Format(Tr("#%1$s: only a number is read as its condition (#if 0, #if 1), and "
                                            "#ifdef, #ifndef"),
                                         {name}));
            }
            value = number != 0;
        } else {
            if (!IsIdentifier(subject)) return Fail(where, Format(Tr("#%1$s takes a name"), {name}));
            bool defined = false;
            if (!Decided(subject, where, defined)) return false;
            value = (name == "ifdef" || name == "elifdef") == defined;
        }
        group.taking = group.taken = value;
        return true;
    }
    if (name == "else" || name == "endif") {
        if (conditionals_.empty()) return Fail(where, Format(Tr("#%1$s with no #if before it"), {name}));
        Conditional& group = conditionals_.back();
        if (name == "endif") {
            conditionals_.pop_back();
            return true;
        }
        if (group.seen_else) return Fail(where, Tr("#else after #else"));
        group.seen_else = true;
        group.taking = group.outer_taking && !group.taken;
        group.taken = true;
        return true;
    }
    if (Skipping()) return true;
    if (name == "define" || name == "undef") {
        if (!IsIdentifier(subject)) return Fail(where, Format(Tr("#%1$s takes a name"), {name}));
        if (name == "define") {
            if (defined_.size() >= kMaxMacros) return Fail(where, Tr("more #define'd names than are followed here"));
            defined_.insert(subject);
            undefined_.erase(subject);
        } else {
            defined_.erase(subject);
            if (undefined_.size() < kMaxMacros) undefined_.insert(subject);
        }
        return true;
    }
    if (name == "include" || name == "include_next" || name == "embed") {
        if (state_ == State::Expect || state_ == State::After) {
            return Fail(where, Format(Tr("#%1$s inside the initialiser: what it brings in is not read"), {name}));
        }
        if (subject.empty()) return Fail(where, Format(Tr("#%1$s names no file"), {name}));
        included_ = true;
        return true;
    }
    if (name == "error") return Fail(where, Tr("#error: gcc stops here"));
    // The null directive, line markers and directives that leave the text alone.
    if (name.empty() || StartsNumber(name) || name == "pragma" || name == "line" || name == "ident" ||
        name == "sccs" || name == "warning" || name == "assert" || name == "unassert") {
        return true;
    }
    return Fail(where, Format(Tr("%1$s is no directive gcc knows"), {Quoted("#" + name, false)}));
}

// ---- Numbers -----------------------------------------------------------

std::string CArrayReader::Holder(const Brace& brace) const {
    if (brace.level == 0) return Tr("the array");
    return Format(Tr("the braces at line %1$s, column %2$s"), {Decimal(brace.where.line), Decimal(brace.where.column)});
}

bool CArrayReader::CodeToken(const std::string& token, bool is_literal, const Where& where, std::string& out) {
    if (state_ == State::Done) return true;
    if (state_ == State::Before || state_ == State::Prelude) {
        if (!PreludeToken(token, is_literal, where)) return false;
        if (!bare_ || state_ != State::Expect) return true;
    }
    if (state_ == State::After) {
        return Fail(where,
                    Format(Tr("%1$s follows the number before it without a comma"), {Quoted(token, word_long_)}));
    }
    if (token[0] == '"') return Fail(where, Tr("a string literal is not read as numbers here"));
    const Brace& brace = braces_.back();
    if (position_ >= brace.end) {
        if (brace.scalar) {
            return Fail(where, Format(Tr("%1$s is a second number in braces around one element"),
                                      {Quoted(token, word_long_)}));
        }
        const std::uint64_t elements = spans_[brace.level];
        return Fail(where, Format(TrN("%1$s is beyond the %2$s element of %3$s (gcc drops it)",
                                      "%1$s is beyond the %2$s elements of %3$s (gcc drops it)", elements),
                                  {Quoted(token, word_long_), Decimal(elements), Holder(brace)}));
    }
    state_ = State::After;
    if (!Number(token, token[0] == '\'', where, out)) return false;
    ++position_;
    return true;
}

bool CArrayReader::Emit(bool negative, std::uint64_t magnitude, const std::string& word, const Where& where,
                        std::string& out) {
    const int bits = 8 * element_size_;
    const std::uint64_t max = bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
    const std::uint64_t most_negative = std::uint64_t{1} << (bits - 1);
    if (negative ? magnitude > most_negative : magnitude > max) {
        return Fail(where, Format(TrN("%1$s does not fit in %2$s byte (0 to %3$s, or -%4$s to -1)",
                                      "%1$s does not fit in %2$s bytes (0 to %3$s, or -%4$s to -1)",
                                      static_cast<unsigned>(element_size_)),
                                  {Quoted(word, false), Decimal(element_size_), Decimal(max), Decimal(most_negative)}));
    }
    const std::uint64_t value = (negative ? 0 - magnitude : magnitude) & max;
    for (int k = 0; k < element_size_; ++k) {
        const int shift = 8 * (big_endian_ ? element_size_ - 1 - k : k);
        out += static_cast<char>(static_cast<unsigned char>(value >> shift));
    }
    return true;
}

bool CArrayReader::Number(const std::string& word, bool is_char, const Where& where, std::string& out) {
    std::uint64_t value = 0;
    if (is_char) {
        // The text between the quotes; a literal cut short has no closing one.
        if (word_long_ || word.size() < 2 || !CharacterValue(word.substr(1, word.size() - 2), value)) {
            return Fail(where, Format(Tr("%1$s is not a character literal of one byte"), {Quoted(word, word_long_)}));
        }
        // A character literal is an int of the char's value: negative from
        // 0x80 where char is signed.
        if (char_is_signed_ && value >= 0x80) return Emit(true, 0x100 - value, word, where, out);
        return Emit(false, value, word, where, out);
    }
    const bool negative = word[0] == '-';
    const std::size_t start = word[0] == '-' || word[0] == '+' ? 1 : 0;
    const Parse parse = word_long_ ? Parse::NoNumber : IntegerLiteral(word, start, value);
    if (parse == Parse::NoNumber) {
        return Fail(where, Format(Tr("%1$s is not a number (hex 0x.., decimal, octal 0.., binary 0b.. or a character "
                                     "literal)"),
                                  {Quoted(word, word_long_)}));
    }
    if (parse == Parse::TooLarge) return Fail(where, Format(Tr("%1$s is larger than 64 bits"), {Quoted(word, false)}));
    return Emit(negative, value, word, where, out);
}

// The elements C fills with zeros: those after the last number in braces.
bool CArrayReader::ZerosTo(std::uint64_t position, std::string& out) {
    const auto size = static_cast<std::uint64_t>(element_size_);
    while (position_ < position) {
        const std::uint64_t count = std::min<std::uint64_t>(position - position_, kZeroBlock / size);
        out.append(static_cast<std::size_t>(count * size), '\0');
        position_ += count;
        if (flush_ && out.size() >= kZeroBlock && !flush_(out)) {
            error_ = Tr("the bytes could not be written");
            return false;
        }
    }
    return true;
}

bool CArrayReader::Finish(std::string& out) {
    if (!error_.empty()) return false;
    // Bytes that began a BOM, and a backslash, that nothing followed.
    if (bytes_seen_ < 3) {
        for (int k = 0; k < bom_matched_; ++k) {
            if (!Spliced(static_cast<char>(kBom[k]), Where{1, static_cast<std::uint64_t>(k) + 1}, out)) return false;
        }
        bytes_seen_ = 3;
    }
    if (backslash_) {
        backslash_ = false;
        if (!LexChar('\\', backslash_at_, out)) return false;
    }
    switch (lex_) {
        case Lex::Code:
        case Lex::LineComment:
            break;
        case Lex::Slash:
            lex_ = Lex::Code;
            if (!Punctuation('/', slash_at_, out)) return false;
            break;
        case Lex::Word:
            if (!EndWord(out)) return false;
            break;
        case Lex::Char:
        case Lex::CharEscape:
        case Lex::String:
        case Lex::StringEscape:
            if (!in_directive_ && !Skipping()) {
                return Fail(word_at_, Format(Tr("%1$s is not closed"), {Quoted(word_, word_long_)}));
            }
            lex_ = Lex::Code;
            break;
        case Lex::BlockComment:
        case Lex::BlockStar:
            return Fail(comment_at_, Tr("the comment that opens here is never closed"));
    }
    if (in_directive_) {
        in_directive_ = false;
        if (!EndDirective()) return false;
    }
    if (!conditionals_.empty()) {
        return Fail(conditionals_.back().where, Tr("the #if group that opens here has no #endif"));
    }
    switch (state_) {
        case State::Before:
            error_ = Tr("no numbers: the text is empty or holds only comments");
            return false;
        case State::Prelude:
            error_ = Tr("no '= {' opens an array's initialiser, and the text does not start with '{' or a number");
            return false;
        case State::Expect:
        case State::After:
            if (bare_) return true;
            return Fail(braces_.front().where, Tr("the '{' here is never closed"));
        case State::Done:
            break;
    }
    return true;
}
