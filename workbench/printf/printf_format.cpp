#include "workbench/printf/printf_format.h"

#include <cstdint>

#include "workbench/numbers/shortest_float.h"
#include "workbench/printf/exact_float.h"
#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;
using i18n::TrN;

// ---- The format's characters -------------------------------------------

// The format after its escapes, each byte with the place in the format as
// given that it came from.
struct Decoded {
    std::string bytes;
    std::vector<std::size_t> origin;  // from 1
};

int OctalDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool DecodeEscapes(const std::string& format, Decoded& decoded, std::string& error) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        const std::size_t origin = i + 1;
        if (format[i] != '\\') {
            decoded.bytes += format[i];
            decoded.origin.push_back(origin);
            continue;
        }
        const std::string place = std::to_string(origin);
        if (i + 1 == format.size()) {
            error = Format(Tr("the format ends in a lone backslash at character %1$s of the format (\\\\ is a "
                              "backslash)"),
                           {place});
            return false;
        }
        const char c = format[++i];
        unsigned value = 0;
        switch (c) {
            case 'n': value = '\n'; break;
            case 't': value = '\t'; break;
            case 'r': value = '\r'; break;
            case 'a': value = '\a'; break;
            case 'b': value = '\b'; break;
            case 'f': value = '\f'; break;
            case 'v': value = '\v'; break;
            case '\\': case '\'': case '"': case '?': value = static_cast<unsigned char>(c); break;
            case 'x': {
                std::size_t digits = 0;
                while (i + 1 < format.size() && HexValue(format[i + 1]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexValue(format[++i]));
                    if (value > 0xFF) {
                        error = Format(Tr("the escape \\x at character %1$s of the format is beyond a byte (\\x00 "
                                          "to \\xff)"),
                                       {place});
                        return false;
                    }
                    ++digits;
                }
                if (digits == 0) {
                    error = Format(Tr("the escape \\x at character %1$s of the format has no hex digits"), {place});
                    return false;
                }
                break;
            }
            default:
                if (OctalDigit(c) < 0) {
                    error = Format(Tr("'\\%1$s' at character %2$s of the format is no escape of C (\\n \\t \\r "
                                      "\\a \\b \\f \\v \\\\ \\' \\\" \\? \\ooo \\xhh)"),
                                   {std::string(1, c), place});
                    return false;
                }
                value = static_cast<unsigned>(OctalDigit(c));
                for (int more = 0; more < 2 && i + 1 < format.size() && OctalDigit(format[i + 1]) >= 0; ++more) {
                    value = value * 8 + static_cast<unsigned>(OctalDigit(format[++i]));
                }
                if (value > 0xFF) {
                    error = Format(Tr("the escape \\%1$s at character %2$s of the format is beyond a byte (\\0 "
                                      "to \\377)"),
                                   {format.substr(origin, i + 1 - origin), place});
                    return false;
                }
        }
        decoded.bytes += static_cast<char>(value);
        decoded.origin.push_back(origin);
    }
    return true;
}

// ---- The conversions -------------------------------------

enum class Length { None, hh, h, l, ll, j, z, t, L };

const char* LengthText(Length length) {
    switch (length) {
        case Length::None: return "";
        case Length::hh: return "hh";
        case Length::h: return "h";
        case Length::l: return "l";
        case Length::ll: return "ll";
        case Length::j: return "j";
        case Length::z: return "z";
        case Length::t: return "t";
        case Length::L: return "L";
    }
    return "";
}

struct Directive {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    bool width_star = false, precision_star = false;
    int width = -1, precision = -1;
    Length length = Length::None;
    char conversion = 0;
};

// The bits of a type and whether it is signed, on LP64.
struct IntegerType {
    int bits;
    bool is_signed;
    const char* name;
};

IntegerType IntegerTypeOf(Length length, bool is_signed) {
    switch (length) {
        case Length::hh: return {8, is_signed, is_signed ? "signed char" : "unsigned char"};
        case Length::h: return {16, is_signed, is_signed ? "short" : "unsigned short"};
        case Length::l: return {64, is_signed, is_signed ? "long" : "unsigned long"};
        case Length::ll: return {64, is_signed, is_signed ? "long long" : "unsigned long long"};
        case Length::j: return {64, is_signed, is_signed ? "intmax_t" : "uintmax_t"};
        case Length::z: return {64, is_signed, is_signed ? "ssize_t" : "size_t"};
        case Length::t: return {64, is_signed, is_signed ? "ptrdiff_t" : "unsigned ptrdiff_t"};
        default: return {32, is_signed, is_signed ? "int" : "unsigned int"};
    }
}

bool IsInteger(char c) { return c == 'd' || c == 'i' || c == 'u' || c == 'o' || c == 'x' || c == 'X'; }
bool IsFloat(char c) {
    return c == 'f' || c == 'F' || c == 'e' || c == 'E' || c == 'g' || c == 'G' || c == 'a' || c == 'A';
}

// Why C leaves this combination undefined, or nothing when it is defined.
std::string Undefined(const Directive& directive) {
    const char c = directive.conversion;
    const std::string conversion = std::string("%") + c;
    const Length length = directive.length;
    if (IsInteger(c)) {
        if (length == Length::L) {
            return Format(Tr("the length L goes with floats, not %1$s (ll is long long)"), {conversion});
        }
        if (directive.alternate && (c == 'd' || c == 'i' || c == 'u')) {
            return Format(Tr("the flag # has no meaning for %1$s"), {conversion});
        }
        return "";
    }
    if (IsFloat(c)) {
        if (length != Length::None && length != Length::l && length != Length::L) {
            return Format(Tr("the length %1$s goes with integers, not %2$s (L is long double)"),
                          {LengthText(length), conversion});
        }
        return "";
    }
    if (c == 'c' || c == 's') {
        if (length != Length::None && length != Length::l) {
            return Format(Tr("the length %1$s has no meaning for %2$s (only l does: wide characters)"),
                          {LengthText(length), conversion});
        }
        if (directive.alternate) return Format(Tr("the flag # has no meaning for %1$s"), {conversion});
        if (directive.zero) {
            return Format(Tr("the flag 0 has no meaning for %1$s (padding is with blanks)"), {conversion});
        }
        if (c == 'c' && (directive.precision >= 0 || directive.precision_star)) {
            return Tr("a precision has no meaning for %c");
        }
        return "";
    }
    if (c == 'p') {
        // + and space are C's flags for signed conversions, undefined for
        // none: glibc writes a pointer with them as a signed number.
        if (length != Length::None) return Format(Tr("the length %1$s has no meaning for %%p"), {LengthText(length)});
        if (directive.alternate) return Tr("the flag # has no meaning for %p");
        if (directive.zero) return Tr("the flag 0 has no meaning for %p (padding is with blanks)");
        if (directive.precision >= 0 || directive.precision_star) return Tr("a precision has no meaning for %p");
        return "";
    }
    return "";
}

// ---- Arguments ---------------------------------------------------------

// An integer argument: its bits as two's complement of 64 bits; false when
// the text is no integer of -2^63 to 2^64-1 (`why` says which).
bool ReadInteger(const std::string& text, std::uint64_t& bits, std::string& why) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    unsigned base = 10;
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    } else if (at < text.size() && text[at] == '0') {
        base = 8;
    }
    if (at == text.size()) {
        why = Tr("no integer (decimal, 0x hex or 0 octal, with an optional sign)");
        return false;
    }
    std::uint64_t magnitude = 0;
    bool too_large = false;
    for (; at < text.size(); ++at) {
        const int digit = HexValue(text[at]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            why = Tr("no integer (decimal, 0x hex or 0 octal, with an optional sign)");
            return false;
        }
        if (magnitude > (UINT64_MAX - static_cast<unsigned>(digit)) / base) too_large = true;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
    }
    if (too_large || (negative && magnitude > (std::uint64_t{1} << 63))) {
        why = Tr("beyond 64 bits (-2^63 to 2^64-1)");
        return false;
    }
    bits = negative ? std::uint64_t{0} - magnitude : magnitude;
    return true;
}

// `bits` reduced to a type: its low bits, sign-extended when it is signed.
std::uint64_t Reduce(std::uint64_t bits, const IntegerType& type) {
    if (type.bits == 64) return bits;
    const std::uint64_t mask = (std::uint64_t{1} << type.bits) - 1;
    bits &= mask;
    if (type.is_signed && (bits >> (type.bits - 1)) != 0) bits |= ~mask;
    return bits;
}

std::string SignedText(std::uint64_t bits) {
    if ((bits >> 63) == 0) return std::to_string(bits);
    return "-" + std::to_string(std::uint64_t{0} - bits);
}

// The code point of a text that is one UTF-8 character, or -1.
long OneCharacter(const std::string& text) {
    if (text.empty()) return -1;
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    std::size_t size = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                                     : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (size == 0 || text.size() != size) return -1;
    long code = size == 1 ? lead : lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) return -1;
        code = (code << 6) | (c & 0x3F);
    }
    const long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[size] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return -1;
    return code;
}

bool Utf8(long code, std::string& out) {
    if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
}

// The size of the UTF-8 character starting at `at` of valid UTF-8 text.
std::size_t CharacterSize(const std::string& text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool ValidUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = CharacterSize(text, at);
        if (at + size > text.size() || OneCharacter(text.substr(at, size)) < 0) return false;
        at += size;
    }
    return true;
}

// ---- Writing -----------------------------------------------------------

// `body` padded to the width: blanks on the left, or on the right with '-';
// with the zero flag, zeros after the first `prefix` characters (a sign,
// 0x).
std::string Pad(const std::string& body, const Directive& directive, bool zero_pad, std::size_t prefix) {
    if (directive.width < 0 || body.size() >= static_cast<std::size_t>(directive.width)) return body;
    const std::size_t fill = static_cast<std::size_t>(directive.width) - body.size();
    if (directive.left) return body + std::string(fill, ' ');
    if (zero_pad) return body.substr(0, prefix) + std::string(fill, '0') + body.substr(prefix);
    return std::string(fill, ' ') + body;
}

std::string IntegerText(const Directive& directive, std::uint64_t bits, const IntegerType& type) {
    const char c = directive.conversion;
    const bool negative = type.is_signed && (bits >> 63) != 0;
    std::uint64_t magnitude = negative ? std::uint64_t{0} - bits : bits;
    if (!type.is_signed && type.bits < 64) magnitude &= (std::uint64_t{1} << type.bits) - 1;
    const unsigned base = c == 'o' ? 8 : (c == 'x' || c == 'X') ? 16 : 10;
    const char* digit_chars = c == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    for (std::uint64_t rest = magnitude; rest != 0; rest /= base) digits.insert(digits.begin(), digit_chars[rest % base]);
    const std::size_t least = directive.precision < 0 ? 1 : static_cast<std::size_t>(directive.precision);
    if (digits.size() < least) digits.insert(0, least - digits.size(), '0');
    if (c == 'o' && directive.alternate && (digits.empty() || digits[0] != '0')) digits.insert(digits.begin(), '0');
    std::string prefix;
    if (c == 'd' || c == 'i') prefix = negative ? "-" : directive.plus ? "+" : directive.space ? " " : "";
    if ((c == 'x' || c == 'X') && directive.alternate && magnitude != 0) prefix = c == 'x' ? "0x" : "0X";
    return Pad(prefix + digits, directive, directive.zero && !directive.left && directive.precision < 0, prefix.size());
}

std::string FloatText(const Directive& directive, const BinaryFloat& value, FloatFormat format) {
    FloatStyle style;
    style.conversion = directive.conversion;
    style.precision = directive.precision;
    style.alternate = directive.alternate;
    const std::string sign = value.negative ? "-" : directive.plus ? "+" : directive.space ? " " : "";
    const bool finite = value.kind == BinaryFloat::Finite;
    // The zeros of the zero flag go after the sign, and after %a's 0x.
    const bool hex = directive.conversion == 'a' || directive.conversion == 'A';
    const std::size_t prefix = sign.size() + (finite && hex ? 2 : 0);
    return Pad(sign + FloatBody(value, format, style), directive, directive.zero && !directive.left && finite, prefix);
}

// A value for the explanation: the shortest decimal that reads back to it,
// in its own format (a long double's often has more digits than a double's
// would: 0.1L is 0.1, 1/3.0L 0.3333333333333333333).
std::string FloatValueText(const BinaryFloat& value, FloatFormat format) {
    if (format == FloatFormat::Double) return ShortestDoubleText(DoubleBitsOf(value));
    return ShortestFloatText(value, format);
}

// ---- The run -----------------------------------------------------------

class Formatter {
public:
    // `format_end`: the place of the NUL that ended the format, or 0.
    Formatter(const std::vector<std::string>& arguments, PrintfResult& result, std::size_t format_end,
              const PrintfSink& sink)
        : arguments_(arguments), result_(result), format_end_(format_end), sink_(sink) {}

    // One conversion of `directive`, numbered `number`, its text `text`; false
    // with the error set.
    bool Convert(Directive directive, std::size_t number, PrintfConversion& conversion) {
        number_ = number;
        conversion_ = &conversion;
        if (directive.width_star) {
            std::uint64_t bits = 0;
            if (!TakeInteger(conversion, "width", IntegerTypeOf(Length::None, true), bits)) return false;
            const std::int64_t width = static_cast<std::int64_t>(bits);
            if (width < 0) directive.left = true;
            const std::int64_t magnitude = width < 0 ? -width : width;
            if (magnitude > kMaxPrintfWidth) {
                return Fail(Format(Tr("%1$s: the width %2$s is beyond %3$s"),
                                   {Where(), std::to_string(width), std::to_string(kMaxPrintfWidth)}));
            }
            directive.width = static_cast<int>(magnitude);
        }
        if (directive.precision_star) {
            std::uint64_t bits = 0;
            if (!TakeInteger(conversion, "precision", IntegerTypeOf(Length::None, true), bits)) return false;
            const std::int64_t precision = static_cast<std::int64_t>(bits);
            if (precision > kMaxPrintfWidth) {
                return Fail(Format(Tr("%1$s: the precision %2$s is beyond %3$s"),
                                   {Where(), std::to_string(precision), std::to_string(kMaxPrintfWidth)}));
            }
            directive.precision = precision < 0 ? -1 : static_cast<int>(precision);
        }
        const char c = directive.conversion;
        if (IsInteger(c)) {
            const IntegerType type = IntegerTypeOf(directive.length, c == 'd' || c == 'i');
            std::uint64_t bits = 0;
            if (!TakeInteger(conversion, "value", type, bits)) return false;
            return Emit(IntegerText(directive, bits, type));
        }
        if (IsFloat(c)) return ConvertFloat(directive, conversion);
        if (c == 'c') return ConvertCharacter(directive, conversion);
        if (c == 's') return ConvertString(directive, conversion);
        // %p
        std::uint64_t bits = 0;
        if (!TakeInteger(conversion, "value", {64, false, "void *"}, bits)) return false;
        std::string body = "(nil)";
        if (bits != 0) {
            Directive hex;
            hex.conversion = 'x';
            hex.alternate = true;
            body = IntegerText(hex, bits, {64, false, ""});
            conversion.arguments.back().value = body;
            // As glibc writes it: (nil) has no sign.
            if (directive.plus || directive.space) body.insert(0, 1, directive.plus ? '+' : ' ');
        } else {
            conversion.arguments.back().value = body;
        }
        return Emit(Pad(body, directive, false, 0));
    }

    // Hands on `piece` of the text; false, with the error set, when it would
    // take the text past the most one run writes, or writing failed.
    // `text_at`: the place of the format's text it is, 0 for a conversion's.
    bool Emit(const std::string& piece, std::size_t text_at = 0) {
        if (piece.size() > kMaxPrintfOutput - result_.size) {
            const std::string what =
                text_at == 0 ? Where()
                             : Format(Tr("the format's text at character %1$s"), {std::to_string(text_at)});
            result_.error = Format(Tr("%1$s takes the text past %2$s bytes (64 MiB), the most one run writes"),
                                   {what, std::to_string(kMaxPrintfOutput)});
            return false;
        }
        result_.size += piece.size();
        if (!sink_) {
            result_.output += piece;
            return true;
        }
        if (sink_(piece)) return true;
        result_.write_failed = true;
        result_.error = Tr("the text could not be written");
        return false;
    }

    bool Finish() {
        if (next_ < arguments_.size()) {
            const std::size_t extra = arguments_.size() - next_;
            const std::string given = std::to_string(arguments_.size()), taken = std::to_string(next_),
                              first = std::to_string(next_ + 1);
            result_.error =
                extra > 1
                    ? Format(Tr("%1$s arguments given, the format takes %2$s: argument %3$s '%4$s' and %5$s more "
                                "left over"),
                             {given, taken, first, arguments_[next_], std::to_string(extra - 1)})
                    : Format(TrN("%1$s argument given, the format takes %2$s: argument %3$s '%4$s' left over",
                                 "%1$s arguments given, the format takes %2$s: argument %3$s '%4$s' left over",
                                 arguments_.size()),
                             {given, taken, first, arguments_[next_]});
            if (format_end_ != 0) {
                result_.error = Format(Tr("%1$s (the format ends at its NUL, character %2$s)"),
                                       {result_.error, std::to_string(format_end_)});
            }
            return false;
        }
        return true;
    }

private:
    // The conversion being converted, for a message: built only when one is,
    // so a format that fits costs none.
    std::string Where() const {
        return Format(Tr("conversion %1$s '%2$s' at character %3$s"),
                      {std::to_string(number_), conversion_->text, std::to_string(conversion_->position)});
    }

    bool Fail(const std::string& error) {
        result_.error = error;
        return false;
    }

    // The argument last taken, in `pattern`: %1$s the conversion, %2$s the
    // argument's number, %3$s the argument.
    bool FailArgument(const char* pattern) {
        return Fail(Format(pattern, {Where(), std::to_string(next_), arguments_[next_ - 1]}));
    }

    // A role as a message names it; the explanation's table keeps the word.
    static const char* RoleName(const std::string& role) {
        if (role == "width") return Tr("width");
        if (role == "precision") return Tr("precision");
        return Tr("value");
    }

    // The next argument, recorded as consumed; false when none is left.
    bool Take(PrintfConversion& conversion, const std::string& role, const std::string& type, const std::string*& text) {
        if (next_ >= arguments_.size()) {
            return Fail(Format(TrN("%1$s has no argument left for its %2$s (%3$s argument given)",
                                   "%1$s has no argument left for its %2$s (%3$s arguments given)", arguments_.size()),
                               {Where(), RoleName(role), std::to_string(arguments_.size())}));
        }
        text = &arguments_[next_++];
        conversion.arguments.push_back({next_, role, type, ""});
        return true;
    }

    bool TakeInteger(PrintfConversion& conversion, const std::string& role, const IntegerType& type, std::uint64_t& bits) {
        const std::string* text = nullptr;
        if (!Take(conversion, role, type.name, text)) return false;
        std::string why;
        if (!ReadInteger(*text, bits, why)) {
            return Fail(Format(Tr("%1$s: argument %2$s '%3$s' is %4$s"),
                               {Where(), std::to_string(next_), arguments_[next_ - 1], why}));
        }
        bits = Reduce(bits, type);
        conversion.arguments.back().value = type.is_signed ? SignedText(bits) : std::to_string(bits);
        return true;
    }

    bool ConvertFloat(const Directive& directive, PrintfConversion& conversion) {
        const FloatFormat format = directive.length == Length::L ? FloatFormat::LongDouble : FloatFormat::Double;
        const std::string* text = nullptr;
        if (!Take(conversion, "value", format == FloatFormat::Double ? "double" : "long double", text)) return false;
        BinaryFloat value;
        if (!ReadFloat(*text, format, value)) {
            return FailArgument(Tr("%1$s: argument %2$s '%3$s' is no number (1.5, -2e-3, 0x1.8p3, inf, nan)"));
        }
        conversion.arguments.back().value = FloatValueText(value, format);
        return Emit(FloatText(directive, value, format));
    }

    bool ConvertCharacter(const Directive& directive, PrintfConversion& conversion) {
        const bool wide = directive.length == Length::l;
        const std::string* text = nullptr;
        if (!Take(conversion, "value", wide ? "wint_t" : "int (as unsigned char)", text)) return false;
        std::string body;
        std::uint64_t bits = 0;
        if (wide) {
            long code = OneCharacter(*text);
            if (code < 0) {
                std::string why;
                if (!ReadInteger(*text, bits, why)) {
                    return FailArgument(Tr("%1$s: argument %2$s '%3$s' is neither one character nor a number"));
                }
                bits &= 0xFFFFFFFFu;
                code = static_cast<long>(bits);
            }
            if (!Utf8(code, body)) {
                return FailArgument(
                    Tr("%1$s: argument %2$s '%3$s' is no Unicode character (0 to 0x10ffff, no surrogate)"));
            }
            conversion.arguments.back().value = std::to_string(code);
        } else {
            if (text->size() == 1) {
                bits = static_cast<unsigned char>((*text)[0]);
            } else {
                std::string why;
                if (!ReadInteger(*text, bits, why)) {
                    return FailArgument(
                        Tr("%1$s: argument %2$s '%3$s' is neither one byte (a character) nor a number"));
                }
                bits &= 0xFF;
            }
            body = std::string(1, static_cast<char>(bits));
            conversion.arguments.back().value = std::to_string(bits);
        }
        return Emit(Pad(body, directive, false, 0));
    }

    bool ConvertString(const Directive& directive, PrintfConversion& conversion) {
        const bool wide = directive.length == Length::l;
        const std::string* text = nullptr;
        if (!Take(conversion, "value", wide ? "const wchar_t *" : "const char *", text)) return false;
        // A C string ends at its first NUL (a wide one at its L'\0').
        std::string body = text->substr(0, text->find('\0'));
        conversion.arguments.back().value = body;
        if (wide) {
            if (!ValidUtf8(body)) {
                return FailArgument(Tr("%1$s: argument %2$s '%3$s' is no UTF-8 text, so no wide string"));
            }
            if (directive.precision >= 0) {
                // No more bytes than the precision, and never part of a character.
                std::size_t end = 0;
                while (end < body.size() && end + CharacterSize(body, end) <= static_cast<std::size_t>(directive.precision)) {
                    end += CharacterSize(body, end);
                }
                body.resize(end);
            }
        } else if (directive.precision >= 0 && body.size() > static_cast<std::size_t>(directive.precision)) {
            body.resize(static_cast<std::size_t>(directive.precision));
        }
        return Emit(Pad(body, directive, false, 0));
    }

    const std::vector<std::string>& arguments_;
    PrintfResult& result_;
    std::size_t next_ = 0;
    const std::size_t format_end_;
    const PrintfSink& sink_;
    std::size_t number_ = 0;                          // of the conversion being converted
    const PrintfConversion* conversion_ = nullptr;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits of a width or a precision; false beyond kMaxPrintfWidth.
bool ReadCount(const std::string& bytes, std::size_t& at, int& count) {
    long value = 0;
    for (; at < bytes.size() && IsDigit(bytes[at]); ++at) {
        value = value * 10 + (bytes[at] - '0');
        if (value > kMaxPrintfWidth) value = kMaxPrintfWidth + 1;
    }
    count = static_cast<int>(value);
    return value <= kMaxPrintfWidth;
}

const char kConversions[] = "d i u o x X c s f F e E g G a A p %";

}  // namespace

PrintfResult FormatPrintf(const std::string& format, const std::vector<std::string>& arguments, PrintfEscapes escapes) {
    return FormatPrintf(format, arguments, escapes, PrintfSink());
}

PrintfResult FormatPrintf(const std::string& format, const std::vector<std::string>& arguments, PrintfEscapes escapes,
                          const PrintfSink& sink) {
    PrintfResult result;
    Decoded decoded;
    if (escapes == PrintfEscapes::C) {
        if (!DecodeEscapes(format, decoded, result.error)) return result;
    } else {
        decoded.bytes = format;
        for (std::size_t i = 0; i < format.size(); ++i) decoded.origin.push_back(i + 1);
    }
    // C's printf reads its format as a string, up to its first NUL: a NUL
    // written into a literal ("a\0b") ends the format there, and what
    // follows is never read (its conversions take no argument).
    const std::size_t nul = decoded.bytes.find('\0');
    std::size_t nul_origin = 0;
    if (nul != std::string::npos) {
        nul_origin = decoded.origin[nul];
        decoded.bytes.resize(nul);
        decoded.origin.resize(nul);
    }
    const std::string& bytes = decoded.bytes;
    Formatter formatter(arguments, result, nul_origin, sink);
    std::size_t number = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if (bytes[at] != '%') {
            const std::size_t next = bytes.find('%', at);
            const std::size_t end = next == std::string::npos ? bytes.size() : next;
            if (!formatter.Emit(bytes.substr(at, end - at), decoded.origin[at])) return result;
            at = end;
            continue;
        }
        const std::size_t start = at++;
        Directive directive;
        PrintfConversion conversion;
        conversion.position = decoded.origin[start];
        ++number;
        // Its text so far, for a message.
        auto where = [&]() {
            return Format(Tr("conversion %1$s '%2$s' at character %3$s"),
                          {std::to_string(number), bytes.substr(start, at - start),
                           std::to_string(conversion.position)});
        };
        for (; at < bytes.size(); ++at) {
            const char c = bytes[at];
            if (c == '-') directive.left = true;
            else if (c == '+') directive.plus = true;
            else if (c == ' ') directive.space = true;
            else if (c == '#') directive.alternate = true;
            else if (c == '0') directive.zero = true;
            else break;
        }
        bool count_ok = true;
        if (at < bytes.size() && bytes[at] == '*') {
            directive.width_star = true;
            ++at;
        } else if (at < bytes.size() && IsDigit(bytes[at])) {
            count_ok = ReadCount(bytes, at, directive.width);
        }
        if (count_ok && at < bytes.size() && bytes[at] == '$') {
            ++at;
            result.error =
                Format(Tr("%1$s: positional arguments (%%1$d) are not taken, each conversion takes the next"), {where()});
            return result;
        }
        if (count_ok && at < bytes.size() && bytes[at] == '.') {
            ++at;
            if (at < bytes.size() && bytes[at] == '*') {
                directive.precision_star = true;
                ++at;
            } else {
                count_ok = ReadCount(bytes, at, directive.precision);
            }
        }
        if (!count_ok) {
            result.error = Format(Tr("%1$s: a width or precision is beyond %2$s"),
                                  {where(), std::to_string(kMaxPrintfWidth)});
            return result;
        }
        if (at < bytes.size()) {
            const char c = bytes[at];
            const char next = at + 1 < bytes.size() ? bytes[at + 1] : 0;
            if (c == 'h') directive.length = next == 'h' ? Length::hh : Length::h;
            else if (c == 'l') directive.length = next == 'l' ? Length::ll : Length::l;
            else if (c == 'j') directive.length = Length::j;
            else if (c == 'z') directive.length = Length::z;
            else if (c == 't') directive.length = Length::t;
            else if (c == 'L') directive.length = Length::L;
            at += directive.length == Length::hh || directive.length == Length::ll ? 2 : directive.length == Length::None ? 0 : 1;
        }
        if (at >= bytes.size()) {
            result.error = Format(Tr("%1$s: the format ends inside the conversion (%%%% writes a %%)"), {where()});
            return result;
        }
        directive.conversion = bytes[at++];
        conversion.text = bytes.substr(start, at - start);
        const char c = directive.conversion;
        if (c == 'n') {
            result.error =
                Format(Tr("%1$s: %%n stores a count in memory and writes nothing; there is no memory here"), {where()});
            return result;
        }
        if (c == '%') {
            if (at - start != 2) {
                result.error = Format(Tr("%1$s: a %% is written by %%%% alone, with nothing between"), {where()});
                return result;
            }
            if (!formatter.Emit("%", conversion.position)) return result;
            result.conversions.push_back(conversion);
            continue;
        }
        if (!IsInteger(c) && !IsFloat(c) && c != 'c' && c != 's' && c != 'p') {
            const unsigned char byte = static_cast<unsigned char>(c);
            const std::string shown = byte >= 0x20 && byte < 0x7F ? std::string(1, c) : "\\x" + std::string(1, "0123456789abcdef"[byte >> 4]) + "0123456789abcdef"[byte & 15];
            result.error =
                Format(Tr("%1$s: '%2$s' is no conversion of C's printf (%3$s)"), {where(), shown, kConversions});
            return result;
        }
        const std::string undefined = Undefined(directive);
        if (!undefined.empty()) {
            result.error = Format(Tr("%1$s: %2$s, which C leaves undefined"), {where(), undefined});
            return result;
        }
        if (!formatter.Convert(directive, number, conversion)) return result;
        result.conversions.push_back(conversion);
    }
    if (!formatter.Finish()) return result;
    result.ok = true;
    return result;
}
