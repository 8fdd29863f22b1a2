// The numbers of a C array's initialiser back to bytes, read as they stream
// in: "{ 0x48, 105, 'a', '\n', 017 }" gives 48 69 61 0A 0F. Anything before
// the first '{' (the declaration, an include guard, comments) is passed
// over, and anything after its closing '}' (the length); input that starts
// with a number is the list of numbers alone. Comments are skipped wherever
// they are, braces nested within the outer pair are flattened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CArrayReader {
public:
    // Each number becomes `element_size` (1, 2, 4 or 8) bytes in the order
    // given; a number that does not fit in them is an error.
    CArrayReader(int element_size, bool big_endian);

    // More text; the bytes of each number read appended to `out`. False at
    // the first error, with `error()` naming its line; later calls then do nothing.
    bool Feed(const char* text, std::size_t size, std::string& out);
    // The end of the text: false when it ends inside the initialiser, a
    // comment or a number's character literal, or gives no initialiser.
    bool Finish(std::string& out);

    const std::string& error() const { return error_; }

private:
    // Before: nothing seen yet; Prelude: the declaration, up to its {;
    // Expect: a number next; After: a comma or a brace next.
    enum class State { Before, Prelude, Expect, After, Done };
    enum class Lex { Code, Slash, LineComment, BlockComment, BlockStar, Word, Char, CharEscape };

    bool Fail(std::uint64_t line, const std::string& what);
    bool Punctuation(char c);
    bool EndWord(std::string& out);
    bool Number(const std::string& word, bool is_char, std::uint64_t line, std::string& out);
    bool Emit(bool negative, std::uint64_t magnitude, const std::string& word, std::uint64_t line, std::string& out);

    int element_size_;
    bool big_endian_;
    State state_ = State::Before;
    Lex lex_ = Lex::Code;
    bool bare_ = false;  // no '{': the numbers alone
    int depth_ = 0;
    std::uint64_t line_ = 1;
    std::uint64_t word_line_ = 1;
    std::uint64_t comment_line_ = 1;
    std::uint64_t open_line_ = 1;
    std::string word_;  // a number or character literal being read, up to a limit
    bool word_long_ = false;
    std::string error_;
};
