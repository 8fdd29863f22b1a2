#include "cli/run_crc.h"

#include <vector>

#include "cli/crc_input.h"
#include "cli/crc_output.h"
#include "cli/messages.h"
#include "workbench/crc/emit_c.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"

namespace {

const char kStandardInputName[] = "-";

int ListCatalogue(std::string& out) {
    for (const CrcModel& model : CrcCatalogue()) out += FormatCrcModelLine(model) + "\n";
    return kExitReport;
}

// The parameters the command line names, and the catalogue's name for them.
bool ChooseParameters(const CrcCliOptions& options, CrcParams& params, std::string& name, std::string& err) {
    if (options.own_parameters) {
        params = options.params;
        return true;
    }
    ResolvedCrc resolved;
    std::string error;
    if (!ResolveCrc(options.model, resolved, error)) {
        // The lines may echo the user's bytes.
        err += ErrorLines(error);
        return false;
    }
    if (!resolved.note.empty()) err += kPrefix + resolved.note + "\n";
    params = resolved.params;
    name = resolved.name;
    return true;
}

// The CRC of a whole stream; the reason reading failed, or "".
std::string StreamCrc(const CliEnvironment& env, const CrcEngine& engine, const std::string& file, Uint128& crc) {
    Uint128 reg = engine.Start();
    const ConsumeBlock consume = [&](const char* bytes, std::size_t size) { reg = engine.Update(reg, bytes, size); };
    const std::string error = file == kStandardInputName ? env.stream_stdin(consume) : env.stream_file(file, consume);
    crc = engine.Finish(reg);
    return error;
}

std::string ReadErrorLine(const std::string& file, const std::string& error) {
    const std::string what = file == kStandardInputName ? "cannot read standard input" : EscapeBytes(file);
    return kPrefix + what + ": " + error + "\n";
}

// One line per file, md5sum's way: a file that cannot be read is reported and
// the others still run, the exit status telling at the end. Each line goes
// out as soon as it is known. When writing fails, the line stays in `out`, so
// that the final write reports why, and no further file is read.
int CrcOfFiles(const CrcCliOptions& options, const CliEnvironment& env, const CrcEngine& engine, std::string& out,
               std::string& err) {
    int code = kExitReport;
    for (const std::string& file : options.files) {
        Uint128 crc;
        const std::string error = StreamCrc(env, engine, file, crc);
        if (!error.empty()) {
            err += ReadErrorLine(file, error);
            code = kExitUsage;
            continue;
        }
        out += CrcFileLine(CrcText(crc, engine.params().width, options.notation), file);
        if (env.write_stdout) {
            if (!env.write_stdout(out)) return kExitUsage;
            out.clear();
        }
    }
    return code;
}

}  // namespace

int RunCrc(const CrcCliOptions& options, const CliEnvironment& env, std::string& out, std::string& err) {
    if (options.list) return ListCatalogue(out);
    CrcParams params;
    std::string name;
    if (!ChooseParameters(options, params, name, err)) return kExitUsage;
    if (options.emit_c) {
        out += EmitCrcC(params, name);
        return kExitReport;
    }
    const CrcEngine engine(params);
    Uint128 crc;
    switch (options.input) {
        case CrcInputKind::Files:
            return CrcOfFiles(options, env, engine, out, err);
        case CrcInputKind::StandardInput: {
            const std::string error = StreamCrc(env, engine, kStandardInputName, crc);
            if (!error.empty()) {
                err += ReadErrorLine(kStandardInputName, error);
                return kExitUsage;
            }
            break;
        }
        case CrcInputKind::Text:
        case CrcInputKind::HexDigits: {
            std::string bytes;
            const bool read = options.input == CrcInputKind::Text
                                  ? CrcTextBytes(options.text, options.text_to_gbk, bytes, err)
                                  : CrcHexBytes(options.text, bytes, err);
            if (!read) return kExitUsage;
            crc = engine.Compute(bytes.data(), bytes.size());
            break;
        }
    }
    out += CrcText(crc, params.width, options.notation) + "\n";
    return kExitReport;
}
