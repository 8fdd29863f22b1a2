#include "workbench/c_array/c_array_writer.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>

#include "workbench/crc/engine.h"
#include "i18n/translate.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// CRC-32/ISO-HDLC, the CRC of zlib, PNG and Ethernet: what "CRC-32" means
// to most who will compare it.
CrcParams Crc32Params() {
    CrcParams params;
    params.width = 32;
    params.poly = 0x04C11DB7u;
    params.init = 0xFFFFFFFFu;
    params.refin = true;
    params.refout = true;
    params.xorout = 0xFFFFFFFFu;
    return params;
}

// "0x00" to "0xff" for every byte, four characters each: the byte array is
// the common case and most of its time is spent here.
struct HexPairs {
    char text[256][4];
    HexPairs() {
        static const char kDigits[] = "0123456789abcdef";
        for (int b = 0; b < 256; ++b) {
            text[b][0] = '0';
            text[b][1] = 'x';
            text[b][2] = kDigits[b >> 4];
            text[b][3] = kDigits[b & 0xF];
        }
    }
};
const HexPairs kHexPairs;

std::string Upper(const std::string& name) {
    std::string upper = name;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The include guard: NAME_H in capitals, without the underscores that lead
// a letter, so that _stdint's guard is not <stdint.h>'s own _STDINT_H.
std::string Guard(const std::string& name) {
    std::size_t start = 0;
    while (start < name.size() && name[start] == '_') ++start;
    if (start == name.size() || !IsAsciiLetter(name[start])) start = 0;
    return Upper(name.substr(start)) + "_H";
}

}  // namespace

std::string CArrayNameFromPath(const std::string& path) {
    std::string name = !path.empty() && IsAsciiDigit(path[0]) ? "__" : "";
    for (const char c : path) name += IsAsciiLetter(c) || IsAsciiDigit(c) ? c : '_';
    return name;
}

bool IsCIdentifier(const std::string& name) {
    if (name.empty() || IsAsciiDigit(name[0])) return false;
    for (const char c : name) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return false;
    }
    return true;
}

namespace {

// The keywords of C89, C99, C11, C17 and C23, and asm, which gcc and most
// compilers take as one.
const char* const kCKeywords[] = {
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum", "extern",
    "float", "for", "goto", "if", "int", "long", "register", "return", "short", "signed", "sizeof", "static",
    "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while",
    "inline", "restrict", "_Bool", "_Complex", "_Imaginary",
    "_Alignas", "_Alignof", "_Atomic", "_Generic", "_Noreturn", "_Static_assert", "_Thread_local",
    "alignas", "alignof", "bool", "constexpr", "false", "nullptr", "static_assert", "thread_local", "true",
    "typeof", "typeof_unqual", "_BitInt", "_Decimal32", "_Decimal64", "_Decimal128",
    "asm"};

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The names <stdint.h> declares, and those C keeps for its later versions:
// int*_t and uint*_t, INT*_ and UINT*_ with _MAX, _MIN, _C or _WIDTH, and
// the limits of the other integer types it describes.
bool ReservedByStdint(const std::string& name) {
    if ((StartsWith(name, "int") || StartsWith(name, "uint")) && EndsWith(name, "_t")) return true;
    if (StartsWith(name, "INT") || StartsWith(name, "UINT")) {
        for (const char* end : {"_MAX", "_MIN", "_C", "_WIDTH"}) {
            if (EndsWith(name, end)) return true;
        }
    }
    for (const char* limits : {"PTRDIFF_", "SIZE_", "SIG_ATOMIC_", "WCHAR_", "WINT_"}) {
        if (StartsWith(name, limits)) {
            for (const char* end : {"MAX", "MIN", "WIDTH"}) {
                if (name == std::string(limits) + end) return true;
            }
        }
    }
    return false;
}

}  // namespace

std::string CArrayNameProblem(const std::string& name, const CArrayFormat& format) {
    if (!IsCIdentifier(name)) return i18n::Tr("is no C identifier (letters, digits and _, no digit first)");
    for (const char* keyword : kCKeywords) {
        if (name == keyword) return i18n::Tr("is a keyword of C");
    }
    if (name == "linux" || name == "unix" || name == "i386") return i18n::Tr("is a macro gcc predefines (as 1)");
    // __1st_bin, xxd's name for 1st.bin, is kept: no compiler gives such a name a meaning.
    if (name.size() >= 2 && name[0] == '_' && ((name[1] == '_' && !IsAsciiDigit(name.size() > 2 ? name[2] : '0')) ||
                                               (name[1] >= 'A' && name[1] <= 'Z'))) {
        return i18n::Tr("is kept for the compiler and its library (it starts with __ or _ and a capital)");
    }
    if (CArrayElementType(format).back() == 't' && ReservedByStdint(name)) {
        return i18n::Tr("is declared or kept by <stdint.h>, which the array's type needs");
    }
    return "";
}

std::string CArrayElementType(const CArrayFormat& format) {
    if (format.element_size == 1 && !format.is_signed) return "unsigned char";
    return std::string(format.is_signed ? "int" : "uint") + std::to_string(8 * format.element_size) + "_t";
}

CArrayWriter::CArrayWriter(const CArrayFormat& format) : format_(format) {
    static const int kDefaultPerLine[9] = {0, 12, 8, 0, 6, 0, 0, 0, 4};
    per_line_ = format.per_line > 0 ? format.per_line : kDefaultPerLine[format.element_size];
    if (format_.header) format_.is_static = true;
    if (format_.crc) {
        crc_engine_ = std::make_unique<CrcEngine>(Crc32Params());
        crc_reg_ = crc_engine_->Start();
    }
}

CArrayWriter::~CArrayWriter() = default;

void CArrayWriter::Begin(std::string& out) {
    if (format_.header) {
        const std::string guard = Guard(format_.name);
        out += "#ifndef " + guard + "\n#define " + guard + "\n\n";
    }
    const bool fixed_width = CArrayElementType(format_).back() == 't';
    if (fixed_width) out += "#include <stdint.h>\n\n";
    out += std::string(format_.is_static ? "static " : "") + (format_.is_const ? "const " : "") +
           CArrayElementType(format_) + " " + format_.name + "[] = {\n";
}

// Elements are ", " apart and per_line_ to a line; a line's last comma ends
// it, as xxd -i writes them. The separator goes before each element, since
// which element is the last is known only at the end.
inline void CArrayWriter::Separator(std::string& out) {
    if (elements_ == 0) {
        out += "  ";
    } else if (column_ == per_line_) {
        out += ",\n  ";
        column_ = 0;
    } else {
        out += ", ";
    }
    ++column_;
    ++elements_;
}

void CArrayWriter::WordElement(std::uint64_t value, std::string& out) {
    Separator(out);
    char text[32];
    const int size = format_.element_size;
    if (format_.decimal && format_.is_signed) {
        // Sign-extended from the element's width.
        const int shift = 64 - 8 * size;
        const auto bits = value << shift;
        std::int64_t signed_value = 0;
        std::memcpy(&signed_value, &bits, sizeof signed_value);
        signed_value >>= shift;
        // 9223372036854775808 is no signed literal of C, so its negation is
        // no int64_t: the smallest value is written as a difference.
        if (signed_value == std::numeric_limits<std::int64_t>::min()) {
            std::snprintf(text, sizeof text, "(-%" PRId64 " - 1)", std::numeric_limits<std::int64_t>::max());
        } else {
            std::snprintf(text, sizeof text, "%" PRId64, signed_value);
        }
    } else {
        if (size < 8) value &= (std::uint64_t{1} << (8 * size)) - 1;
        if (format_.decimal) {
            // A decimal literal beyond long long's range is unsigned only
            // with its suffix, else gcc warns.
            const bool suffix = value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
            std::snprintf(text, sizeof text, "%" PRIu64 "%s", value, suffix ? "u" : "");
        } else {
            std::snprintf(text, sizeof text, "0x%0*" PRIx64, 2 * size, value);
        }
    }
    out += text;
}

void CArrayWriter::Bytes(const void* data, std::size_t size, std::string& out) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (crc_engine_) crc_reg_ = crc_engine_->Update(crc_reg_, bytes, size);
    bytes_ += size;
    const int element_size = format_.element_size;
    if (element_size == 1 && !format_.decimal) {
        // At most 4 characters a line break and 6 an element: written in
        // place rather than appended piece by piece.
        const std::size_t start = out.size();
        out.resize(start + 10 * size + 4);
        char* write = &out[start];
        for (std::size_t i = 0; i < size; ++i) {
            if (elements_ == 0) {
                *write++ = ' ';
                *write++ = ' ';
            } else if (column_ == per_line_) {
                std::memcpy(write, ",\n  ", 4);
                write += 4;
                column_ = 0;
            } else {
                *write++ = ',';
                *write++ = ' ';
            }
            ++column_;
            ++elements_;
            std::memcpy(write, kHexPairs.text[bytes[i]], 4);
            write += 4;
        }
        out.resize(static_cast<std::size_t>(write - out.data()));
        return;
    }
    for (std::size_t i = 0; i < size; ++i) {
        partial_[partial_size_++] = bytes[i];
        if (partial_size_ == element_size) PartialElement(out);
    }
}

void CArrayWriter::PartialElement(std::string& out) {
    const int element_size = format_.element_size;
    std::uint64_t value = 0;
    for (int k = 0; k < element_size; ++k) {
        const int index = format_.big_endian ? k : element_size - 1 - k;
        value = value << 8 | (index < partial_size_ ? partial_[index] : 0u);
    }
    partial_size_ = 0;
    WordElement(value, out);
}

void CArrayWriter::Element(std::uint64_t value, std::string& out) {
    bytes_ += static_cast<std::uint64_t>(format_.element_size);
    if (crc_engine_) {
        unsigned char bytes[8];
        for (int k = 0; k < format_.element_size; ++k) {
            const int shift = 8 * (format_.big_endian ? format_.element_size - 1 - k : k);
            bytes[k] = static_cast<unsigned char>(value >> shift);
        }
        crc_reg_ = crc_engine_->Update(crc_reg_, bytes, static_cast<std::size_t>(format_.element_size));
    }
    WordElement(value, out);
}

bool CArrayWriter::End(std::string& out, std::string& error) {
    if (partial_size_ > 0) {
        if (!format_.pad) {
            error = i18n::Format(i18n::Tr("%1$s bytes are no whole number of %2$s-byte elements: %3$s left over"),
                                 {std::to_string(bytes_), std::to_string(format_.element_size),
                                  std::to_string(partial_size_)});
            return false;
        }
        // Zero bytes fill it; the length and the CRC stay those of the content.
        PartialElement(out);
    }
    if (elements_ > 0) out += "\n";
    const std::string qualifiers =
        std::string(format_.is_static ? "static " : "") + (format_.is_const ? "const " : "");
    out += "};\n" + qualifiers + "unsigned int " + format_.name + "_len = " + std::to_string(elements_) + ";\n";
    if (crc_engine_) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "0x%08" PRIX64, crc_engine_->Finish(crc_reg_).low);
        out += "/* CRC-32 (ISO-HDLC, as zlib) of the " + std::to_string(bytes_) + (bytes_ == 1 ? " byte" : " bytes") +
               ": " + crc + " */\n";
    }
    if (format_.header) out += "\n#endif /* " + Guard(format_.name) + " */\n";
    return true;
}
