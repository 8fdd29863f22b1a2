#include "cli/crc.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/subcommand_words.h"
#include "codepage/gbk_codec.h"
#include "core/hexdump.h"
#include "workbench/crc/emit_c.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"
#include "workbench/frames/frame_build.h"

const char kCrcUsageHint[] = "Usage: quobrix crc MODEL [FILE...]; quobrix crc --help tells more";

namespace {

// ---- The options -------------------------------------------------------

enum class CrcInputKind {
    StandardInput,  // no FILE
    Files,          // FILE..., "-" standing for standard input
    Text,           // --text
    HexDigits,      // --hex
};

struct CrcOptions {
    bool list = false;
    bool emit_c = false;
    bool own_parameters = false;  // `params` were given as options, not `model`
    std::string model;
    CrcParams params;
    CrcInputKind input = CrcInputKind::StandardInput;
    std::vector<std::string> files;
    std::string text;  // of --text or --hex
    bool text_to_gbk = false;
    CrcNotation notation = CrcNotation::Hex;
};

// What the parser fills.
struct CrcWords {
    std::vector<std::string> arguments;  // MODEL and FILEs as given
    std::string text, hex, bytes, emit;
    std::string width, poly, init, xorout;
    std::string refin, refout;
    CLI::Option* list = nullptr;
    CLI::Option* text_option = nullptr;
    CLI::Option* hex_option = nullptr;
    CLI::Option* gbk = nullptr;
    CLI::Option* bytes_option = nullptr;
    CLI::Option* emit_option = nullptr;
    // The parameters of the user's own.
    CLI::Option* width_option = nullptr;
    CLI::Option* poly_option = nullptr;
    CLI::Option* init_option = nullptr;
    CLI::Option* refin_option = nullptr;
    CLI::Option* refout_option = nullptr;
    CLI::Option* xorout_option = nullptr;
};

bool Complete(const CrcWords& words, const CLI::App& chosen, CrcOptions& options, std::string& error);
int RunCrc(const CrcOptions& options, const CliEnvironment& env, std::string& out, std::string& err);

}  // namespace

// ---- The registration --------------------------------------------------

CommandParse SetupCrc(const char* name, CLI::App& app, const std::vector<std::string>& words) {
    CLI::App* sub = AddNamedSubcommand(app, words, name, kCrcSummary, kCrcGroup);
    if (sub == nullptr) return {};
    const auto given = std::make_shared<CrcWords>();
    given->list = sub->add_flag("--list")->disable_flag_override();
    given->text_option = sub->add_option("--text", given->text);
    given->hex_option = sub->add_option("--hex", given->hex);
    given->gbk = sub->add_flag("--gbk")->disable_flag_override();
    given->bytes_option = sub->add_option("--bytes", given->bytes);
    given->emit_option = sub->add_option("--emit", given->emit);
    given->width_option = sub->add_option("--width", given->width);
    given->poly_option = sub->add_option("--poly", given->poly);
    given->init_option = sub->add_option("--init", given->init);
    given->refin_option = sub->add_option("--refin", given->refin);
    given->refout_option = sub->add_option("--refout", given->refout);
    given->xorout_option = sub->add_option("--xorout", given->xorout);
    AddAllWords(*sub, "ARGS", given->arguments);
    return OneSubcommandParse<CrcWords, CrcOptions>(sub, given, name, Complete, RunCrc);
}

namespace {

// ---- Judging the command line ------------------------------------------

// A width in decimal; anything that is no number of bits at all is an error
// here, one outside the widths CheckCrcParams judges.
bool ReadWidth(const std::string& word, int& width, std::string& error) {
    if (ParseCrcWidth(word, width)) return true;
    error = "--width '" + EscapeBytes(word) + "' is no number of bits (decimal, " + std::to_string(kCrcMinWidth) +
            " to " + std::to_string(kCrcMaxWidth) + ")";
    return false;
}

// true or false, as the catalogue's lines write refin and refout.
bool ReadTruth(const CLI::Option& option, const std::string& word, bool& value, std::string& error) {
    if (option.count() == 0) return true;
    if (word == "true" || word == "false") {
        value = word == "true";
        return true;
    }
    error = option.get_name() + " takes true or false, not '" + EscapeBytes(word) + "'";
    return false;
}

// A number of hex digits within `width` bits; one of more digits than any
// width takes is named too large, not "no hex number".
bool ReadHex(const CLI::Option& option, const std::string& word, int width, Uint128& value, std::string& error) {
    if (option.count() == 0) return true;
    if (ParseCrcHexNumber(word, value)) return true;
    error = option.get_name() + " '" + EscapeBytes(word) + "' " +
            (IsCrcHexText(word) ? "is too large for the width of " + std::to_string(width) + " bits"
                                : "is no hex number");
    return false;
}

// Parameters of the user's own: width and poly are needed, init and xorout
// are 0 and refout follows refin unless given.
bool CompleteParameters(const CrcWords& words, CrcOptions& options, std::string& error) {
    options.own_parameters = true;
    CrcParams& params = options.params;
    if (words.width_option->count() == 0 || words.poly_option->count() == 0) {
        error = "parameters of your own need --width and --poly";
        return false;
    }
    if (!ReadWidth(words.width, params.width, error) ||
        !ReadHex(*words.poly_option, words.poly, params.width, params.poly, error) ||
        !ReadHex(*words.init_option, words.init, params.width, params.init, error) ||
        !ReadHex(*words.xorout_option, words.xorout, params.width, params.xorout, error) ||
        !ReadTruth(*words.refin_option, words.refin, params.refin, error)) {
        return false;
    }
    params.refout = params.refin;
    if (!ReadTruth(*words.refout_option, words.refout, params.refout, error)) return false;
    std::string why;
    if (CheckCrcParams(params, why)) return true;
    error = "invalid parameters: " + why;
    return false;
}

bool CompleteInput(const CrcWords& words, CrcOptions& options, std::string& error) {
    const bool text = words.text_option->count() > 0, hex = words.hex_option->count() > 0;
    if (text && hex) {
        error = "--text and --hex exclude each other";
        return false;
    }
    if (words.gbk->count() > 0 && !text) {
        error = "--gbk goes with --text";
        return false;
    }
    if ((text || hex) && !options.files.empty()) {
        error = "--text and --hex take no FILE";
        return false;
    }
    if (options.emit_c && (text || hex || !options.files.empty() || words.bytes_option->count() > 0)) {
        error = "--emit c takes no input and no --bytes";
        return false;
    }
    options.text_to_gbk = words.gbk->count() > 0;
    if (text) {
        options.input = CrcInputKind::Text;
        options.text = words.text;
    } else if (hex) {
        options.input = CrcInputKind::HexDigits;
        options.text = words.hex;
    } else if (!options.files.empty()) {
        options.input = CrcInputKind::Files;
    }
    return true;
}

bool Complete(const CrcWords& words, const CLI::App& chosen, CrcOptions& options, std::string& error) {
    options.list = words.list->count() > 0;
    if (options.list) {
        const std::vector<const CLI::Option*> given =
            chosen.get_options([](const CLI::Option* option) { return option->count() > 0; });
        const bool alone = given.size() == 1;
        if (!alone) error = "--list stands alone";
        return alone;
    }
    if (words.bytes_option->count() > 0) {
        if (words.bytes != "be" && words.bytes != "le") {
            error = "--bytes takes be or le, not '" + EscapeBytes(words.bytes) + "'";
            return false;
        }
        options.notation = words.bytes == "be" ? CrcNotation::BytesHighFirst : CrcNotation::BytesLowFirst;
    }
    if (words.emit_option->count() > 0) {
        if (words.emit != "c") {
            error = "--emit takes c, not '" + EscapeBytes(words.emit) + "'";
            return false;
        }
        options.emit_c = true;
    }
    const CLI::Option* parameters[] = {words.width_option,  words.poly_option,   words.init_option,
                                       words.refin_option, words.refout_option, words.xorout_option};
    const bool own = std::any_of(std::begin(parameters), std::end(parameters),
                                 [](const CLI::Option* option) { return option->count() > 0; });
    if (own) {
        // A first word that names a model is no FILE: the user gave two CRCs.
        ResolvedCrc resolved;
        std::string unused;
        if (!words.arguments.empty() && ResolveCrc(words.arguments.front(), resolved, unused)) {
            error = "MODEL '" + EscapeBytes(words.arguments.front()) +
                    "' and parameters of your own (--width, --poly, ...) exclude each other";
            return false;
        }
        if (!CompleteParameters(words, options, error)) return false;
        options.files = words.arguments;
    } else if (words.arguments.empty()) {
        error = "no MODEL given (quobrix crc --list shows the catalogue)";
        return false;
    } else {
        options.model = words.arguments.front();
        options.files.assign(words.arguments.begin() + 1, words.arguments.end());
    }
    return CompleteInput(words, options, error);
}

// ---- The input ---------------------------------------------------------

// "'中' (U+4E2D)": the character itself and its code point.
std::string NamedCharacter(const std::string& text, std::size_t offset) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, offset, cp);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04lX", static_cast<unsigned long>(cp));
    return "'" + EscapeBytes(text.substr(offset, length)) + "' (" + code + ")";
}

// TEXT's bytes as the shell gave them, or with `to_gbk` its characters in GBK
// (code page 936), as the dialog holds them. False when TEXT is not UTF-8 or
// a character has no GBK form.
bool TextBytes(const std::string& text, bool to_gbk, std::string& bytes, std::string& error) {
    if (!to_gbk) {
        bytes = text;
        return true;
    }
    std::size_t offset = 0;
    switch (Utf8ToGbk(text, bytes, offset)) {
        case Utf8ToGbkResult::Ok:
            return true;
        case Utf8ToGbkResult::InvalidUtf8:
            error = "--text is not valid UTF-8 at byte offset " + std::to_string(offset) +
                    ", so --gbk cannot convert it (without --gbk its bytes count as they are)";
            return false;
        case Utf8ToGbkResult::NotRepresentable:
            error = "the character " + NamedCharacter(text, offset) + " at byte offset " + std::to_string(offset) +
                    " of --text has no GBK (code page 936) form";
            return false;
    }
    return false;
}

// The bytes of hex digits read as the dialog reads them: digits pair up left
// to right, any other character separates, a lone digit is a byte, "0x" is
// dropped. False when a text that is not blank gives no byte at all: surely
// not what was meant.
bool HexBytes(const std::string& hex_text, std::string& bytes, std::string& error) {
    std::vector<unsigned char> decoded;
    if (!DecodeHexText(hex_text, decoded)) {
        error = "--hex is too long";
        return false;
    }
    bytes.assign(decoded.begin(), decoded.end());
    if (bytes.empty() && hex_text.find_first_not_of(" \t\r\n") != std::string::npos) {
        error = "--hex '" + EscapeBytes(hex_text) +
                "' gives no bytes: hex digits pair up, other characters separate "
                "(--hex \"\" is the CRC of no bytes)";
        return false;
    }
    return true;
}

const char kStandardInputName[] = "-";

// The CRC of a whole stream; false with why reading failed.
bool StreamCrc(const CliEnvironment& env, const CrcEngine& engine, const std::string& file, Uint128& crc,
               std::string& error) {
    Uint128 reg = engine.Start();
    const ConsumeBlock consume = [&](const char* bytes, std::size_t size) { reg = engine.Update(reg, bytes, size); };
    const bool read = file == kStandardInputName ? env.stream_stdin(consume, error)
                                                 : env.stream_file(file, consume, error);
    crc = engine.Finish(reg);
    return read;
}

std::string ReadErrorLine(const std::string& file, const std::string& error) {
    if (file != kStandardInputName) return CrcFileErrorLine(file, error);
    return kPrefix + "cannot read standard input: " + error + "\n";
}

// The parameters the command line names, the catalogue's name for them, and
// a note to show beside the result, if any.
bool ChooseParameters(const CrcOptions& options, CrcParams& params, std::string& name, std::string& note,
                      std::string& error) {
    if (options.own_parameters) {
        params = options.params;
        return true;
    }
    ResolvedCrc resolved;
    if (!ResolveCrc(options.model, resolved, error)) return false;
    params = resolved.params;
    name = resolved.name;
    note = resolved.note;
    return true;
}

// ---- The output --------------------------------------------------------

constexpr int kByteBits = 8;

// ---- The run -----------------------------------------------------------

int RunCrc(const CrcOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (options.list) {
        for (const CrcModel& model : CrcCatalogue()) out += FormatCrcModelLine(model) + "\n";
        return kExitReport;
    }
    CrcParams params;
    std::string name, note, error;
    if (!ChooseParameters(options, params, name, note, error)) {
        // The lines may echo the user's bytes.
        err += ErrorLines(error);
        return kExitUsage;
    }
    if (!note.empty()) err += kPrefix + note + "\n";
    if (options.emit_c) {
        out += EmitCrcC(params, name);
        return kExitReport;
    }
    const CrcEngine engine(params);
    Uint128 crc;
    switch (options.input) {
        case CrcInputKind::Files: {
            // One line per file, md5sum's way: a file that cannot be read is
            // reported and the others still run, the exit status telling at
            // the end. Each line goes out as soon as it is known. When writing
            // fails, the line stays in `out`, so that the final write reports
            // why, and no further file is read.
            int code = kExitReport;
            for (const std::string& file : options.files) {
                if (!StreamCrc(env, engine, file, crc, error)) {
                    err += ReadErrorLine(file, error);
                    code = kExitUsage;
                    continue;
                }
                out += CrcFileLine(CrcText(crc, params.width, options.notation), file);
                if (env.write_stdout) {
                    if (!env.write_stdout(out)) return kExitUsage;
                    out.clear();
                }
            }
            return code;
        }
        case CrcInputKind::StandardInput:
            if (!StreamCrc(env, engine, kStandardInputName, crc, error)) {
                err += ReadErrorLine(kStandardInputName, error);
                return kExitUsage;
            }
            break;
        case CrcInputKind::Text:
        case CrcInputKind::HexDigits: {
            std::string bytes;
            const bool read = options.input == CrcInputKind::Text
                                  ? TextBytes(options.text, options.text_to_gbk, bytes, error)
                                  : HexBytes(options.text, bytes, error);
            if (!read) {
                err += kPrefix + error + "\n";
                return kExitUsage;
            }
            crc = engine.Compute(bytes.data(), bytes.size());
            break;
        }
    }
    out += CrcText(crc, params.width, options.notation) + "\n";
    return kExitReport;
}

}  // namespace

std::string CrcFileErrorLine(const std::string& name, const std::string& error) {
    return kPrefix + EscapeBytes(name) + ": " + error + "\n";
}

std::string CrcFileLine(const std::string& crc_text, const std::string& name) {
    if (name.find_first_of("\n\r") == std::string::npos) return crc_text + "  " + name + "\n";
    std::string escaped;
    for (const char ch : name) {
        switch (ch) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            default: escaped += ch;
        }
    }
    return "\\" + crc_text + "  " + escaped + "\n";
}

std::string CrcText(Uint128 crc, int width, CrcNotation notation) {
    if (notation == CrcNotation::Hex) return CrcHexDigits(crc, width, true);
    const CheckOrder order = notation == CrcNotation::BytesLowFirst ? CheckOrder::kLittleEndian : CheckOrder::kBigEndian;
    return SpacedHex(CheckBytes(crc, (width + kByteBits - 1) / kByteBits, order));
}
