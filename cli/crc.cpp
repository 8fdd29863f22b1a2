#include "cli/crc.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/subcommand_words.h"
#include "codepage/gbk_codec.h"
#include "core/hexdump.h"
#include "i18n/translate.h"
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
    std::string output;  // -o's FILE; empty: standard output
};

// What the parser fills.
struct CrcWords {
    std::vector<std::string> arguments;  // MODEL and FILEs as given
    std::string text, hex, bytes, emit, output;
    std::string width, poly, init, xorout;
    std::string refin, refout;
    CLI::Option* list = nullptr;
    CLI::Option* text_option = nullptr;
    CLI::Option* hex_option = nullptr;
    CLI::Option* gbk = nullptr;
    CLI::Option* bytes_option = nullptr;
    CLI::Option* emit_option = nullptr;
    CLI::Option* output_option = nullptr;
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
    given->output_option = sub->add_option("-o,--output", given->output);
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

using i18n::Format;
using i18n::Tr;

// ---- Judging the command line ------------------------------------------

std::optional<std::string> Given(const CLI::Option& option, const std::string& word) {
    if (option.count() == 0) return std::nullopt;
    return word;
}

// Parameters of the user's own.
bool CompleteParameters(const CrcWords& words, CrcOptions& options, std::string& error) {
    options.own_parameters = true;
    CrcParamWords given;
    given.width = Given(*words.width_option, words.width);
    given.poly = Given(*words.poly_option, words.poly);
    given.init = Given(*words.init_option, words.init);
    given.refin = Given(*words.refin_option, words.refin);
    given.refout = Given(*words.refout_option, words.refout);
    given.xorout = Given(*words.xorout_option, words.xorout);
    return ReadCrcParamWords(given, options.params, error);
}

bool CompleteInput(const CrcWords& words, CrcOptions& options, std::string& error) {
    const bool text = words.text_option->count() > 0, hex = words.hex_option->count() > 0;
    if (text && hex) {
        error = Tr("--text and --hex exclude each other");
        return false;
    }
    if (words.gbk->count() > 0 && !text) {
        error = Tr("--gbk goes with --text");
        return false;
    }
    if ((text || hex) && !options.files.empty()) {
        error = Tr("--text and --hex take no FILE");
        return false;
    }
    if (options.emit_c && (text || hex || !options.files.empty() || words.bytes_option->count() > 0)) {
        error = Tr("--emit c takes no input and no --bytes");
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
        if (!alone) error = Tr("--list stands alone");
        return alone;
    }
    if (words.bytes_option->count() > 0) {
        if (words.bytes != "be" && words.bytes != "le") {
            error = Format(Tr("--bytes takes be or le, not '%1$s'"), {EscapeBytes(words.bytes)});
            return false;
        }
        options.notation = words.bytes == "be" ? CrcNotation::BytesHighFirst : CrcNotation::BytesLowFirst;
    }
    if (words.emit_option->count() > 0) {
        if (words.emit != "c") {
            error = Format(Tr("--emit takes c, not '%1$s'"), {EscapeBytes(words.emit)});
            return false;
        }
        options.emit_c = true;
    }
    if (words.output_option->count() > 0 && words.output != "-") {
        if (words.output.empty()) {
            error = Tr("-o takes a FILE name, or - for standard output");
            return false;
        }
        options.output = words.output;
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
            error = Format(Tr("MODEL '%1$s' and parameters of your own (--width, --poly, ...) exclude each other"),
                           {EscapeBytes(words.arguments.front())});
            return false;
        }
        if (!CompleteParameters(words, options, error)) return false;
        options.files = words.arguments;
    } else if (words.arguments.empty()) {
        error = Tr("no MODEL given (quobrix crc --list shows the catalogue)");
        return false;
    } else {
        options.model = words.arguments.front();
        options.files.assign(words.arguments.begin() + 1, words.arguments.end());
    }
    return CompleteInput(words, options, error);
}

// ---- The input ---------------------------------------------------------

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
    return kPrefix + Format(Tr("cannot read standard input: %1$s"), {error}) + "\n";
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

// ---- The run -----------------------------------------------------------

int RunReport(const CrcOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
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
                                  ? CrcTextBytes(options.text, options.text_to_gbk, bytes, error)
                                  : CrcHexBytes(options.text, bytes, error);
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

// -o FILE: the report goes to FILE instead of standard output, whole or not
// at all, as quobrix array -o writes it.
int RunCrc(const CrcOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (options.output.empty()) return RunReport(options, env, out, err);
    return RunIntoOutputFile(options.output, env, err, [&](const CliEnvironment& to_file, std::string& report) {
        return RunReport(options, to_file, report, err);
    });
}

}  // namespace

const CliCommand kCrcCommand = {"crc", SetupCrc, CrcHelpSection, CrcHelp, kCrcUsageHint};
