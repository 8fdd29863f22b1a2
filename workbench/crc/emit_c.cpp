// The C source of a CRC. Up to 64 bits the register lives in the smallest
// fitting unsigned word and takes a byte at a time through a table of 256
// entries; wider registers take two 64-bit words and a bit at a time. The
// table and the start value come from CrcEngine, so the emitted code keeps
// its register exactly as the engine does (reflected when refin is), apart
// from an unreflected register narrower than its word, which is held in the
// word's top bits so that every byte enters at the same place.
#include "workbench/crc/emit_c.h"

#include <map>

#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"

namespace {

constexpr std::size_t kMaxStemLength = 40;  // identifiers stay readable; C99 linkers keep 31+ characters
constexpr int kWordBits = 64;

// ASCII only, whatever the locale: identifiers take no other bytes.
bool IsAsciiAlnum(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9');
}

// "CRC-16/MODBUS" -> "crc16_modbus": letters in lower case, each run of other
// bytes one '_'. Every stem starts with "crc", so no identifier starts with a
// digit or falls among the names the C library keeps for itself.
std::string IdentifierStem(std::string_view name, int width) {
    std::string stem;
    for (const char ch : name) {
        if (stem.size() >= kMaxStemLength) break;
        const auto byte = static_cast<unsigned char>(ch);
        if (IsAsciiAlnum(byte)) {
            stem += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
        } else if (!stem.empty() && stem.back() != '_') {
            stem += '_';
        }
    }
    while (!stem.empty() && stem.back() == '_') stem.pop_back();
    if (stem.empty()) return "crc" + std::to_string(width) + "_custom";
    if (stem.compare(0, 3, "crc") != 0) return "crc_" + stem;
    const bool width_follows = stem.size() > 4 && stem[3] == '_' && stem[4] >= '0' && stem[4] <= '9';
    if (width_follows) stem.erase(3, 1);  // "crc_16_modbus" reads as crc16_modbus
    return stem;
}

// `text` as it may stand between quotes in a comment: a byte that could end
// the comment or start another, end the quotes, splice the next line or begin
// a trigraph is written as \xNN, as is every byte outside printable ASCII.
std::string CommentSafe(std::string_view text) {
    std::string safe;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool plain = byte >= 0x20 && byte < 0x7F && ch != '*' && ch != '\\' && ch != '"' && ch != '?';
        if (plain) {
            safe += ch;
        } else {
            safe += "\\x" + CrcHexDigits(byte, 8, true);
        }
    }
    return safe;
}

// The parameters in the catalogue's line form, the check value in place of
// the residue, the name only when there is one.
std::string ParameterLine(const CrcParams& params, Uint128 check, std::string_view name) {
    std::string line = FormatCrcParams(params) + " check=" + CrcCatalogueNumber(check, params.width);
    if (!name.empty()) line += " name=\"" + CommentSafe(name) + "\"";
    return line;
}

// A C constant for a value of a `bits`-wide word, all its digits shown.
std::string Literal(std::uint64_t value, int bits) {
    const std::string digits = "0x" + CrcHexDigits(value, bits, true);
    return bits == kWordBits ? "UINT64_C(" + digits + ")" : digits;
}

// The C text with each @key@ replaced by its field.
std::string Fill(std::string_view text, const std::map<std::string, std::string>& fields) {
    std::string filled;
    while (!text.empty()) {
        const std::size_t open = text.find('@');
        filled += text.substr(0, open);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find('@', open + 1);
        filled += fields.at(std::string(text.substr(open + 1, close - open - 1)));
        text.remove_prefix(close + 1);
    }
    return filled;
}

constexpr std::string_view kHeader = R"(/* A CRC in C99, @how@.
 *   @line@
 * check is the CRC of the nine bytes "123456789".
 *
 *   @T@ crc = @p@_init();
 *   crc = @p@_update(crc, data, len);    once for each block, in order
 *   crc = @p@_final(crc);                the CRC
 */
#include <stddef.h>
#include <stdint.h>

)";

constexpr std::string_view kPrototypes = R"(@T@ @p@_init(void);
@T@ @p@_update(@T@ crc, const void *data, size_t len);
@T@ @p@_final(@T@ crc);

)";

constexpr std::string_view kTableFunctions = R"(@T@ @p@_init(void)
{
    return @init@;
}

@T@ @p@_update(@T@ crc, const void *data, size_t len)
{
    const unsigned char *bytes = (const unsigned char *)data;
    while (len--)
        crc = @step@;
    return crc;
}

@T@ @p@_final(@T@ crc)
{
    return (@T@)(@out@ ^ @xorout@);
}
)";

constexpr std::string_view kTableReflect = R"(/* The low @width@ bits of value in the opposite order. */
static @T@ @p@_reflect(@T@ value)
{
    @T@ reflected = 0;
    int bit;
    for (bit = 0; bit < @width@; bit++) {
        reflected = (@T@)((reflected << 1) | (value & 1));
        value >>= 1;
    }
    return reflected;
}

)";

constexpr std::string_view kStepByte = "@p@_table[crc ^ *bytes++]";
constexpr std::string_view kStepRight = "(@T@)(@p@_table[(crc ^ *bytes++) & 0xFF] ^ (crc >> 8))";
constexpr std::string_view kStepLeft = "(@T@)((crc << 8) ^ @p@_table[(crc >> @top@) ^ *bytes++])";

std::string EmitTableCrc(const CrcEngine& engine, const std::string& line, const std::string& stem) {
    const CrcParams& params = engine.params();
    const int bits = params.width <= 8 ? 8 : params.width <= 16 ? 16 : params.width <= 32 ? 32 : 64;
    // An unreflected register sits in the top bits of its word.
    const int shift = params.refin ? 0 : bits - params.width;
    std::map<std::string, std::string> fields{
        {"how", "a byte at a time through a table"},
        {"line", line},
        {"p", stem},
        {"T", "uint" + std::to_string(bits) + "_t"},
        {"width", std::to_string(params.width)},
        {"init", Literal((engine.Start() << shift).low, bits)},
        {"xorout", Literal(params.xorout.low, bits)},
        {"top", std::to_string(bits - 8)},
    };
    // A word of 8 bits is its own index, whichever way it shifts.
    fields["step"] = Fill(bits == 8 ? kStepByte : params.refin ? kStepRight : kStepLeft, fields);
    const std::string out = shift == 0 ? "crc" : "(crc >> " + std::to_string(shift) + ")";
    fields["out"] = params.refin == params.refout ? out : stem + "_reflect((" + fields["T"] + ")" + out + ")";

    // Entry i: the register after byte i from a register of zero.
    std::string table = "/* The register after each byte from a register of zero. */\n";
    table += "static const " + fields["T"] + " " + stem + "_table[256] = {";
    const int per_line = bits <= 16 ? 8 : 128 / bits;  // rows of 8, 4 or 2 entries, under 72 columns
    for (int byte = 0; byte < 256; ++byte) {
        const auto data = static_cast<unsigned char>(byte);
        const Uint128 entry = engine.Update(Uint128{}, &data, 1) << shift;
        table += byte % per_line == 0 ? "\n    " : " ";
        table += Literal(entry.low, bits) + (byte < 255 ? "," : "");
    }
    table += "\n};\n\n";

    std::string source = Fill(kHeader, fields) + Fill(kPrototypes, fields) + table;
    if (params.refin != params.refout) source += Fill(kTableReflect, fields);
    return source + Fill(kTableFunctions, fields);
}

constexpr std::string_view kWideType = R"(/* A value of @width@ bits: bits 64 and up in high, the others in low. */
typedef struct {
    uint64_t high;
    uint64_t low;
} @T@;

)";

constexpr std::string_view kWideFunctions = R"(@T@ @p@_init(void)
{
    @T@ crc = {@init_high@, @init_low@};
    return crc;
}

@T@ @p@_update(@T@ crc, const void *data, size_t len)
{
    const unsigned char *bytes = (const unsigned char *)data;
    while (len--) {
        unsigned byte = *bytes++;
        int bit;
        for (bit = 0; bit < 8; bit++) {
            /* The bit leaving the register meets the byte's bit, @order@ bits first. */
@shift_bit@
            if (feedback) {
                crc.high ^= @poly_high@;
                crc.low ^= @poly_low@;
            }
        }
    }
    return crc;
}

@T@ @p@_final(@T@ crc)
{
@reflect_call@    crc.high ^= @xorout_high@;
    crc.low ^= @xorout_low@;
    return crc;
}
)";

// A reflected register shifts right and takes the byte's low bits first.
constexpr std::string_view kWideShiftRight = R"(            int feedback = (int)((crc.low ^ (byte >> bit)) & 1);
            crc.low = (crc.low >> 1) | (crc.high << 63);
            crc.high >>= 1;)";

constexpr std::string_view kWideShiftLeft = R"(            int feedback = (int)(((crc.high >> @top@) ^ (byte >> (7 - bit))) & 1);
            crc.high = ((crc.high << 1) | (crc.low >> 63)) & @high_mask@;
            crc.low <<= 1;)";

constexpr std::string_view kWideReflect = R"(/* The low @width@ bits of value in the opposite order. */
static @T@ @p@_reflect(@T@ value)
{
    @T@ reflected = {0, 0};
    int bit;
    for (bit = 0; bit < @width@; bit++) {
        reflected.high = (reflected.high << 1) | (reflected.low >> 63);
        reflected.low = (reflected.low << 1) | (value.low & 1);
        value.low = (value.low >> 1) | (value.high << 63);
        value.high >>= 1;
    }
    return reflected;
}

)";

std::string EmitWideCrc(const CrcEngine& engine, const std::string& line, const std::string& stem) {
    const CrcParams& params = engine.params();
    const Uint128 init = engine.Start();
    // A reflected register shifts right through the polynomial reflected.
    const Uint128 poly = params.refin ? ReflectLowBits(params.poly, params.width) : params.poly;
    std::map<std::string, std::string> fields{
        {"how", "a bit at a time on two 64-bit words"},
        {"line", line},
        {"p", stem},
        {"T", stem + "_value"},
        {"width", std::to_string(params.width)},
        {"top", std::to_string(params.width - 1 - kWordBits)},
        {"high_mask", Literal(LowBitsMask(params.width - kWordBits).low, kWordBits)},
        {"init_high", Literal(init.high, kWordBits)},
        {"init_low", Literal(init.low, kWordBits)},
        {"poly_high", Literal(poly.high, kWordBits)},
        {"poly_low", Literal(poly.low, kWordBits)},
        {"xorout_high", Literal(params.xorout.high, kWordBits)},
        {"xorout_low", Literal(params.xorout.low, kWordBits)},
        {"order", params.refin ? "low" : "high"},
        {"reflect_call", params.refin != params.refout ? "    crc = " + stem + "_reflect(crc);\n" : ""},
    };
    fields["shift_bit"] = Fill(params.refin ? kWideShiftRight : kWideShiftLeft, fields);
    std::string source = Fill(kHeader, fields) + Fill(kWideType, fields) + Fill(kPrototypes, fields);
    if (params.refin != params.refout) source += Fill(kWideReflect, fields);
    return source + Fill(kWideFunctions, fields);
}

}  // namespace

std::string EmitCrcC(const CrcParams& params, std::string_view name) {
    const CrcEngine engine(params);
    constexpr std::string_view kCheckMessage = "123456789";
    const Uint128 check = engine.Compute(kCheckMessage.data(), kCheckMessage.size());
    const std::string line = ParameterLine(params, check, name);
    const std::string stem = IdentifierStem(name, params.width);
    return params.width <= kWordBits ? EmitTableCrc(engine, line, stem) : EmitWideCrc(engine, line, stem);
}
