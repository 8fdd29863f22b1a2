#include "web/api.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/crc.h"
#include "cli/dialog_tools.h"
#include "cli/messages.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"

namespace {

const CliCommand kPageCommandRows[] = {kDialogToolsCommand, kCrcCommand, kFindCommand, kFrameCommand,
                                       kNumCommand};

std::string g_out, g_err;

// The file being hashed: one at a time, as the page's worker reads them.
struct FileCrc {
    std::unique_ptr<CrcEngine> engine;
    Uint128 reg = 0;
    CrcNotation notation = CrcNotation::Hex;
};
FileCrc g_file;

std::vector<std::string> SplitArguments(const char* args, std::size_t size) {
    std::vector<std::string> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (args[i] != '\0') continue;
        words.emplace_back(args + start, i - start);
        start = i + 1;
    }
    // An argument without its NUL is taken as it is rather than dropped.
    if (start < size) words.emplace_back(args + start, size - start);
    return words;
}

}  // namespace

const CliCommandTable kPageCommands = {kPageCommandRows, sizeof kPageCommandRows / sizeof kPageCommandRows[0]};

extern "C" {

int quobrix_run(const char* args, size_t args_size, const char* input, size_t input_size) {
    g_out.clear();
    g_err.clear();
    const std::string stdin_bytes(input, input_size);
    CliEnvironment env;
    env.read_stdin = [&](std::size_t max_bytes, std::string& bytes, std::string&) {
        bytes = stdin_bytes.substr(0, max_bytes);
        return true;
    };
    env.stream_stdin = [&](const ConsumeBlock& consume, std::string&) {
        consume(stdin_bytes.data(), stdin_bytes.size());
        return true;
    };
    // A page has no file system: its files come through quobrix_crc_begin.
    env.stream_file = [](const std::string&, const ConsumeBlock&, std::string& error) {
        error = std::strerror(ENOENT);
        return false;
    };
    return RunCli(SplitArguments(args, args_size), env, g_out, g_err, kPageCommands);
}

int quobrix_crc_begin(const char* model, size_t model_size, int notation) {
    g_out.clear();
    g_err.clear();
    g_file.engine.reset();
    if (notation < 0 || notation > 2) {
        g_err = kPrefix + "no such notation\n";
        return kExitUsage;
    }
    ResolvedCrc resolved;
    std::string error;
    if (!ResolveCrc(std::string_view(model, model_size), resolved, error)) {
        g_err = ErrorLines(error);
        return kExitUsage;
    }
    if (!resolved.note.empty()) g_err = kPrefix + resolved.note + "\n";
    g_file.engine = std::make_unique<CrcEngine>(resolved.params);
    g_file.reg = g_file.engine->Start();
    g_file.notation = notation == 0 ? CrcNotation::Hex
                      : notation == 1 ? CrcNotation::BytesHighFirst
                                      : CrcNotation::BytesLowFirst;
    return kExitReport;
}

void quobrix_crc_update(const char* data, size_t size) {
    if (g_file.engine) g_file.reg = g_file.engine->Update(g_file.reg, data, size);
}

int quobrix_crc_finish(const char* name, size_t name_size) {
    g_out.clear();
    if (!g_file.engine) {
        g_err = kPrefix + "no CRC was begun\n";
        return kExitUsage;
    }
    const CrcEngine& engine = *g_file.engine;
    g_out = CrcFileLine(CrcText(engine.Finish(g_file.reg), engine.params().width, g_file.notation),
                        std::string(name, name_size));
    g_file.engine.reset();
    return kExitReport;
}

void quobrix_crc_begin_span(void) { g_file.reg = 0; }

void quobrix_crc_register(void) {
    g_out.clear();
    char digits[33];
    std::snprintf(digits, sizeof digits, "%016llx%016llx", static_cast<unsigned long long>(g_file.reg.high),
                  static_cast<unsigned long long>(g_file.reg.low));
    g_out = digits;
}

int quobrix_crc_join(const char* reg, size_t reg_size, double span_size) {
    g_err.clear();
    if (!g_file.engine) {
        g_err = kPrefix + "no CRC was begun\n";
        return kExitUsage;
    }
    Uint128 span;
    bool digits = reg_size == 32;
    for (std::size_t i = 0; digits && i < reg_size; ++i) {
        const char c = reg[i];
        const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        digits = value >= 0;
        span = span << 4 | Uint128{static_cast<std::uint64_t>(value >= 0 ? value : 0)};
    }
    // A double holds every size up to 2^53 bytes exactly; beyond, and for
    // anything but a whole number, the conversion would be undefined or wrong.
    constexpr double kMostBytes = 9007199254740992.0;
    if (!digits || !(span_size >= 0 && span_size <= kMostBytes) || span_size != std::floor(span_size)) {
        g_err = kPrefix + "no span's register and size\n";
        return kExitUsage;
    }
    g_file.reg = g_file.engine->AfterZeros(g_file.reg, static_cast<std::uint64_t>(span_size)) ^ span;
    return kExitReport;
}

void quobrix_crc_read_error(const char* name, size_t name_size, const char* why, size_t why_size) {
    g_out.clear();
    g_err = CrcFileErrorLine(std::string(name, name_size), std::string(why, why_size));
}

void quobrix_catalogue(void) {
    g_out = "[";
    for (const CrcModel& model : CrcCatalogue()) {
        if (g_out.size() > 1) g_out += ",";
        g_out += "{\"name\":" + JsonString(model.name) + ",\"width\":" + std::to_string(model.params.width) +
                 ",\"check\":" + JsonString(CrcHexDigits(model.check, model.params.width, true)) + "}";
    }
    g_out += "]";
    g_err.clear();
}

void quobrix_dialog_tools(void) {
    g_out = DialogToolsJson();
    g_err.clear();
}

const char* quobrix_out(void) { return g_out.data(); }
size_t quobrix_out_size(void) { return g_out.size(); }
const char* quobrix_err(void) { return g_err.data(); }
size_t quobrix_err_size(void) { return g_err.size(); }

}  // extern "C"
