// Parameter lines and names of CRCs (model_text.h, resolve.h) against a
// layout written by hand and a bit-at-a-time CRC.
//
// Input: byte 0 picks a catalogue model (byte 1 which) or random parameters
// (byte 1 the width 1-82, bytes 2-34 poly, init and xorout cut to the width,
// refin and refout from byte 0). Byte 35 changes the case of the model's
// name and picks the bit a wrong check or residue differs in. The rest is a
// list of fragments, three bytes each: zero to end the list, which field
// (width, poly, init, xorout, refin, refout, name, check, residue, a stray
// word, a number of many digits, the previous fragment again, blanks) and
// whether and how to spoil it.
//
// Checked: the parameters' line is the one laid out by hand (⌈width/4⌉
// lower-case hex digits after 0x); ResolveCrc reads it back to the same
// parameters, and their line again is the same; with check= and residue= as
// the bit-at-a-time CRC has them (a residue being xorout as the register
// holds it, times x^width, modulo the generator, reflected when refout;
// checked against all of the catalogue's residues first) the line resolves
// to the same parameters, and with either changed in one bit it does not.
// The model's name in any case resolves to its parameters, and the
// catalogue's checks hold. A text built from the fragments either fails
// with a reason (non-empty lines, no blank one) or resolves to sound
// parameters; when it reads as a parameter line, those are its parameters,
// its check and residue hold by the reference and a catalogue name in it is
// that model's; otherwise it named a model.
#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "workbench/crc/catalogue.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"
#include "fuzz_check.h"
#include "reference_check.h"

namespace {

constexpr std::size_t kValueBytes = 11;

Uint128 ValueOf(fuzz::Input& input, int width) {
    Uint128 value;
    for (std::size_t i = 0; i < kValueBytes; ++i) value |= Uint128{input.Byte()} << static_cast<int>(8 * i);
    return value & LowBitsMask(width);
}

// 0x and ⌈width/4⌉ hex digits, a nibble at a time.
std::string HexByHand(Uint128 value, int width) {
    std::string digits;
    for (int nibble = (width + 3) / 4 - 1; nibble >= 0; --nibble) {
        const unsigned v = static_cast<unsigned>((value >> (4 * nibble)).low & 0xFu);
        digits += "0123456789abcdef"[v];
    }
    return "0x" + digits;
}

std::string LineByHand(const CrcParams& p) {
    return "width=" + std::to_string(p.width) + " poly=" + HexByHand(p.poly, p.width) +
           " init=" + HexByHand(p.init, p.width) + " refin=" + (p.refin ? "true" : "false") +
           " refout=" + (p.refout ? "true" : "false") + " xorout=" + HexByHand(p.xorout, p.width);
}

Uint128 CheckOf(const CrcParams& params) {
    return fuzz::WordOfBits(fuzz::ReferenceOf(params).Compute("123456789"));
}

// The register after a codeword, before xorout: feeding the check's bits
// into the register after the message cancels the message and leaves
// xorout (as the register holds it) times x^width, modulo the generator.
Uint128 ResidueOf(const CrcParams& params) {
    const int w = params.width;
    using Wide = std::bitset<2 * fuzz::kMaxCrcWidth + 1>;
    Wide generator, r;
    for (int i = 0; i < w; ++i) {
        generator[i] = params.poly.Bit(i);
        r[w + i] = params.xorout.Bit(params.refout ? w - 1 - i : i);
    }
    generator[w] = true;
    for (int top = 2 * w - 1; top >= w; --top) {
        if (r[top]) r ^= generator << (top - w);
    }
    Uint128 residue;
    for (int i = 0; i < w; ++i) {
        if (r[i]) residue |= Uint128{1} << (params.refout ? w - 1 - i : i);
    }
    return residue;
}

void CheckReason(const std::string& text, const std::string& error) {
    FUZZ_CHECK(!error.empty(), "no reason given for \"%s\"", fuzz::Hex(text).c_str());
    FUZZ_CHECK(error.front() != '\n' && error.back() != '\n' && error.find("\n\n") == std::string::npos,
               "a blank line in the reason for \"%s\": \"%s\"", fuzz::Hex(text).c_str(), error.c_str());
}

const CrcModel* ModelNamed(const std::string& name) {
    for (const CrcModel& model : CrcCatalogue()) {
        std::string upper(model.name);
        std::string given = name;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        for (char& ch : given) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (upper == given) return &model;
    }
    return nullptr;
}

bool CatalogueChecked() {
    for (const CrcModel& model : CrcCatalogue()) {
        FUZZ_CHECK(CheckOf(model.params) == model.check && ResidueOf(model.params) == model.residue,
                   "%s: the catalogue's check or residue differs from the reference", std::string(model.name).c_str());
    }
    return true;
}

void CheckRoundTrip(const CrcParams& params, int bit) {
    const std::string line = FormatCrcParams(params);
    FUZZ_CHECK(line == LineByHand(params), "\"%s\", expected \"%s\"", line.c_str(), LineByHand(params).c_str());
    ResolvedCrc resolved;
    std::string error;
    FUZZ_CHECK(ResolveCrc(line, resolved, error) && resolved.params == params, "\"%s\" does not resolve: %s",
               line.c_str(), error.c_str());
    FUZZ_CHECK(FormatCrcParams(resolved.params) == line, "\"%s\" is written again as \"%s\"", line.c_str(),
               FormatCrcParams(resolved.params).c_str());

    const Uint128 check = CheckOf(params), residue = ResidueOf(params);
    const std::string full = line + " check=" + HexByHand(check, params.width) +
                             " residue=" + HexByHand(residue, params.width);
    FUZZ_CHECK(ResolveCrc(full, resolved, error) && resolved.params == params, "\"%s\" does not resolve: %s",
               full.c_str(), error.c_str());
    CrcModelLine parsed;
    FUZZ_CHECK(ParseCrcModelLine(full, parsed, error) && parsed.params == params && parsed.check == check &&
                   parsed.residue == residue,
               "\"%s\" is not read as written: %s", full.c_str(), error.c_str());
    for (int spoiled = 0; spoiled < 2; ++spoiled) {
        const Uint128 flip = Uint128{1} << (bit % params.width);
        const std::string wrong = line + " check=" + HexByHand(spoiled == 0 ? check ^ flip : check, params.width) +
                                  " residue=" + HexByHand(spoiled == 1 ? residue ^ flip : residue, params.width);
        FUZZ_CHECK(!ResolveCrc(wrong, resolved, error), "\"%s\" resolves with a wrong %s", wrong.c_str(),
                   spoiled == 0 ? "check" : "residue");
        CheckReason(wrong, error);
    }
}

// A field of the parameters, right or spoilt.
std::string Fragment(unsigned char kind, unsigned char how, const CrcParams& p, Uint128 check, Uint128 residue,
                     const std::string& name, const std::string& previous) {
    const bool spoil = (how & 0x80u) != 0;
    const Uint128 noise = Uint128{how} << (how % 80);
    switch (kind % 13) {
        case 0:
            return "width=" + std::to_string(spoil ? static_cast<int>(how % 100) : p.width);
        case 1: return "poly=" + HexByHand(spoil ? p.poly ^ noise : p.poly, p.width);
        case 2: return "init=" + HexByHand(spoil ? p.init ^ noise : p.init, p.width);
        case 3: return "xorout=" + HexByHand(spoil ? p.xorout ^ noise : p.xorout, p.width);
        case 4: return std::string("refin=") + (spoil ? (how & 1u ? "TRUE" : "yes") : p.refin ? "true" : "false");
        case 5: return std::string("refout=") + (spoil ? (how & 1u ? "1" : "") : p.refout ? "true" : "false");
        case 6:
            if (!spoil) return "name=\"" + name + "\"";
            return how & 1u ? "name=" + name : "name=\"" + std::string(CrcCatalogue()[how % CrcCatalogue().size()].name) + "\"";
        case 7: return "check=" + HexByHand(spoil ? check ^ noise : check, p.width);
        case 8: return "residue=" + HexByHand(spoil ? residue ^ noise : residue, p.width);
        case 9: {
            static const char* const kStray[] = {"=", "width", "poly=0x", "0x", "init=0xg", "\"", "name=\"a b\"",
                                                 "check=", "width=-1", "width=0", "width=83", "poly=0X1f", "\t",
                                                 "refin=true refin=false", "xorout=1", "crc"};
            return kStray[how % std::size(kStray)];
        }
        case 10: {
            static const char* const kFields[] = {"width=", "poly=0x", "init=", "xorout=0x", "check=", "residue="};
            return kFields[how % std::size(kFields)] + std::string(1 + how % 60, "1f"[how & 1u]);
        }
        case 11: return previous;
        default: return std::string(1 + how % 3, how & 1u ? ' ' : '\t');
    }
}

void CheckText(const std::string& text) {
    ResolvedCrc resolved;
    std::string error;
    if (!ResolveCrc(text, resolved, error)) {
        CheckReason(text, error);
        return;
    }
    std::string unsound;
    FUZZ_CHECK(error.empty() && CheckCrcParams(resolved.params, unsound), "\"%s\" resolved to unsound parameters",
               text.c_str());
    CrcModelLine parsed;
    std::string why;
    if (ParseCrcModelLine(text, parsed, why)) {
        FUZZ_CHECK(parsed.params == resolved.params, "\"%s\" resolved to other parameters than its own",
                   text.c_str());
        FUZZ_CHECK(!parsed.check || *parsed.check == CheckOf(parsed.params), "\"%s\" resolved with a wrong check",
                   text.c_str());
        FUZZ_CHECK(!parsed.residue || *parsed.residue == ResidueOf(parsed.params),
                   "\"%s\" resolved with a wrong residue", text.c_str());
        if (parsed.name) {
            const CrcModel* model = ModelNamed(*parsed.name);
            FUZZ_CHECK(model == nullptr || model->params == parsed.params, "\"%s\" resolved with another model's name",
                       text.c_str());
        }
        return;
    }
    FUZZ_CHECK(!resolved.name.empty(), "\"%s\" resolved, but is neither a parameter line (%s) nor a name",
               text.c_str(), why.c_str());
    const CrcModel* model = ModelNamed(resolved.name);
    FUZZ_CHECK(model != nullptr && model->params == resolved.params, "\"%s\" resolved to \"%s\", not its model",
               text.c_str(), resolved.name.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool catalogue_checked = CatalogueChecked();
    (void)catalogue_checked;
    fuzz::Input input(data, size);
    const unsigned char choice = input.Byte(), pick = input.Byte();
    CrcParams params;
    std::string name;
    if (choice % 2 == 0) {
        const CrcModel& model = CrcCatalogue()[pick % CrcCatalogue().size()];
        params = model.params;
        name = std::string(model.name);
        for (int i = 0; i < 33; ++i) input.Byte();
    } else {
        params.width = 1 + pick % fuzz::kMaxCrcWidth;
        params.poly = ValueOf(input, params.width);
        params.init = ValueOf(input, params.width);
        params.xorout = ValueOf(input, params.width);
        params.refin = (choice & 2u) != 0;
        params.refout = (choice & 4u) != 0;
        name = "MY-CRC";
    }
    const unsigned char cases = input.Byte();
    CheckRoundTrip(params, cases);

    if (choice % 2 == 0) {
        std::string given = name;
        for (std::size_t i = 0; i < given.size(); ++i) {
            if ((cases >> (i % 8) & 1u) != 0) {
                given[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(given[i])));
            }
        }
        ResolvedCrc resolved;
        std::string error;
        FUZZ_CHECK(ResolveCrc(given, resolved, error) && resolved.params == params && resolved.name == name,
                   "\"%s\" does not resolve to its model: %s", given.c_str(), error.c_str());
    }

    const Uint128 check = CheckOf(params), residue = ResidueOf(params);
    std::string text, previous;
    for (int n = 0; n < 24 && input.Byte() != 0; ++n) {
        const unsigned char kind = input.Byte(), how = input.Byte();
        const std::string fragment = Fragment(kind, how, params, check, residue, name, previous);
        if (!text.empty() && (how & 0x40u) == 0) text += ' ';
        text += fragment;
        previous = fragment;
    }
    CheckText(text);
    return 0;
}
