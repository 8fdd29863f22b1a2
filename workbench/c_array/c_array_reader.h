// The numbers of a C array's initialiser back to bytes, read as they stream
// in: "{ 0x48, 105, 'a', '\n', 017 }" gives 48 69 61 0A 0F.
//
// The bytes are those gcc gives the array, or the text is refused with the
// line and column of what is not read: a reader that guesses would hand out
// bytes no compiler ever put in the firmware. So the text is read as C reads
// it: lines joined at a backslash, comments as blanks, a UTF-8 BOM passed
// over, preprocessor lines as directives (#if groups decided where that can
// be known, #define'd names kept out of the declaration), and the
// declarator's sizes ([4], [2][3]) with their zero padding and C's rules of
// nested braces. The declaration "... NAME[..] =" before the '{' is passed
// over; text that starts with '{' or a number is the list of numbers alone.
// After the closing '}' only where comments and #if groups end is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

class CArrayReader {
public:
    // Each number becomes `element_size` (1, 2, 4 or 8) bytes in the order
    // given; a number that does not fit in them is an error. A character
    // literal is of type int: '\xff' is -1 where plain char is signed (x86,
    // x86-64), 255 where it is unsigned (ARM, RISC-V, PowerPC).
    CArrayReader(int element_size, bool big_endian, bool char_is_signed = true);

    // Called when the zeros of a large array's padding pile up in `out`, so
    // that they are written as they come: false stops the reading. Unset,
    // they stay in `out`.
    void SetFlush(std::function<bool(std::string& out)> flush) { flush_ = std::move(flush); }

    // More text; the bytes of each number read appended to `out`. False at
    // the first error, with `error()` naming its line and column; later calls
    // then do nothing.
    bool Feed(const char* text, std::size_t size, std::string& out);
    // The end of the text: false when it ends inside the initialiser, a
    // comment, a literal or an #if group, or gives no initialiser.
    bool Finish(std::string& out);

    const std::string& error() const { return error_; }

private:
    // Before: nothing seen yet; Prelude: the declaration, up to its {;
    // Expect: a number or '{' next; After: a comma or a brace next;
    // Done: the array is read, the rest only lexed.
    enum class State { Before, Prelude, Expect, After, Done };
    enum class Lex { Code, Slash, LineComment, BlockComment, BlockStar, Word, Char, CharEscape, String, StringEscape };

    struct Where {
        std::uint64_t line = 1, column = 1;
    };
    // An open brace: the part of the array it initialises, in elements.
    struct Brace {
        std::uint64_t end = 0;  // one past its last element; unknown: the most there can be
        std::size_t level = 0;  // 0 the whole array, 1 its first index's elements, ...
        bool scalar = false;    // braces around one number
        Where where;
    };
    // One #if group: whether its text is read, and whether a branch was.
    struct Conditional {
        bool taking = false, taken = false, outer_taking = false, seen_else = false;
        Where where;
    };

    bool Fail(const Where& where, const std::string& what);
    bool Spliced(char c, const Where& where, std::string& out);
    bool LexChar(char c, const Where& where, std::string& out);
    bool Newline(std::string& out);
    bool Token(const std::string& token, bool is_literal, const Where& where, std::string& out);
    bool CodeToken(const std::string& token, bool is_literal, const Where& where, std::string& out);
    bool PreludeToken(const std::string& token, bool is_literal, const Where& where);
    bool OpenInitialiser(const Where& where);
    bool Punctuation(char c, const Where& where, std::string& out);
    bool EndDirective();
    bool Decided(const std::string& name, const Where& where, bool& defined);
    bool EndWord(std::string& out);
    bool Number(const std::string& word, bool is_char, const Where& where, std::string& out);
    bool Emit(bool negative, std::uint64_t magnitude, const std::string& word, const Where& where, std::string& out);
    std::string Holder(const Brace& brace) const;
    bool ZerosTo(std::uint64_t position, std::string& out);
    bool Skipping() const { return !conditionals_.empty() && !conditionals_.back().taking; }

    int element_size_;
    bool big_endian_;
    bool char_is_signed_;
    std::function<bool(std::string&)> flush_;
    State state_ = State::Before;
    Lex lex_ = Lex::Code;
    std::string error_;

    // Bytes before the lexer: a BOM at the start, a backslash and the blanks
    // after it until a newline joins the lines or another character keeps them.
    std::uint64_t bytes_seen_ = 0;
    int bom_matched_ = 0;
    Where at_;  // the next byte's place
    bool after_cr_ = false;
    bool backslash_ = false;
    Where backslash_at_;
    std::string backslash_blanks_;

    // The lexer.
    std::string word_;  // a number, name or literal being read, up to a limit
    bool word_long_ = false;
    Where word_at_, slash_at_, comment_at_;
    bool line_start_ = true;  // only blanks and comments so far on this line
    char last_punctuation_ = '\0';
    bool punctuation_adjacent_ = false;

    // Preprocessor lines.
    bool in_directive_ = false;
    Where directive_at_;
    std::vector<std::string> directive_;  // its first tokens
    std::vector<Conditional> conditionals_;
    std::set<std::string> defined_, undefined_;
    bool included_ = false;  // a header may have defined any name since

    // The declaration before the '{'.
    bool declaration_tokens_ = false;  // any code before the '{'
    bool declaration_macro_ = false;   // a #define'd name in this declaration
    std::string declaration_macro_name_;
    Where declaration_macro_at_;
    int parens_ = 0;
    std::uint64_t prelude_braces_ = 0;  // '{' not yet closed: a function's, a struct's
    std::string previous_token_;  // "name" for an identifier, else the punctuation
    bool in_brackets_ = false;
    std::vector<std::string> bracket_tokens_;
    Where bracket_at_;
    std::vector<std::string> type_words_;  // the declaration's words before its declarators
    std::vector<std::uint64_t> sizes_;  // of the declarator's [..]; 0 for []
    bool sizes_read_ = true;            // false: a size that is no number, or a shape not followed
    Where sizes_problem_at_;
    std::string sizes_problem_;

    // The initialiser.
    bool bare_ = false;  // no '{': the numbers alone
    std::vector<std::uint64_t> spans_;  // elements in one element of each level
    std::vector<Brace> braces_;
    std::uint64_t position_ = 0;  // elements written
};
