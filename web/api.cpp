#include "web/api.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/crc.h"
#include "cli/crc_text.h"
#include "cli/dialog_tools.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "i18n/translate.h"
#include "link/framer.h"
#include "link/link_check.h"
#include "link/text_view.h"
#include "workbench/crc/catalogue.h"
#include "workbench/crc/engine.h"
#include "workbench/crc/model_text.h"
#include "workbench/crc/resolve.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's side of a streamed run (worker.js): its one file read at
// `offset` into `into`, at most `size` bytes; how many, 0 at its end, or -1
// when the browser could not read it (then quobrix_page_read_why gives its
// words). Standard output's blocks handed to the page as they come: 0 when
// the page wants no more.
EM_JS(double, quobrix_page_read, (double offset, char* into, double size), {
    return Module.pageRead(offset, into, size);
});
EM_JS(void, quobrix_page_read_why, (char* into, int size), {
    stringToUTF8(Module.pageReadWhy || "", into, size);
});
EM_JS(int, quobrix_page_write, (const char* bytes, double size), {
    return Module.pageWrite(bytes, size) ? 1 : 0;
});
#else
// Natively there is no page to read from or write to: a streamed run finds
// no file, and its output is given up.
static double quobrix_page_read(double, char*, double) { return -1; }
static void quobrix_page_read_why(char* into, int size) {
    if (size > 0) into[0] = '\0';
}
static int quobrix_page_write(const char*, double) { return 0; }
#endif

namespace {

// modbus for decode: its read, write and serve say the page has no wire.
const CliCommand kPageCommandRows[] = {kDialogToolsCommand, kCrcCommand,   kFindCommand,   kFrameCommand,
                                       kNumCommand,         kArrayCommand, kRandomCommand, kPartsCommand,
                                       kFilterCommand,      kPrintfCommand, kModbusCommand};

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

// A serial port the page opened: its framer, its check and how its text
// reads. The port itself is the browser's.
struct PageLink {
    explicit PageLink(const FramingRule& rule) : framer(rule) {}
    Framer framer;
    std::optional<LinkCheck> check;
    std::string check_name;
    TextEncoding encoding = TextEncoding::kUtf8;
};
std::map<int, std::unique_ptr<PageLink>> g_links;
int g_next_link = 1;

PageLink* FindLink(int link) {
    const auto found = g_links.find(link);
    return found == g_links.end() ? nullptr : found->second.get();
}

// The page's clock is in milliseconds, the framer's in microseconds.
LinkTime Microseconds(double ms) {
    constexpr double kMostMs = 9.0e12;  // some centuries: far beyond any page's life
    return !(ms >= -kMostMs && ms <= kMostMs) ? 0 : static_cast<LinkTime>(std::llround(ms * 1000.0));
}

std::string NumberJson(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string TextOf(TextEncoding encoding, const LinkBytes& bytes) {
    TextView view(encoding);
    std::string text = view.Decode(bytes.data(), bytes.size());
    return text + view.Finish();
}

std::string SpacedHex(const Bytes& bytes) { return HexLine(bytes.data(), bytes.size()); }

// The verdict on a frame received, as the row shows it.
std::string VerdictJson(const PageLink& link, const LinkBytes& frame) {
    const LinkCheck& check = *link.check;
    const FrameVerdict verdict = VerifyFrame(check.method, check.order, check.head, check.tail, frame);
    bool ok = false;
    const std::string why = CheckVerdict(check, frame, ok);
    std::string json = "{\"ok\":" + std::string(ok ? "true" : "false") + ",\"check\":" + JsonString(link.check_name);
    if (verdict.kind == FrameVerdict::kCheckDiffers) {
        const int size = check.method.byte_count();
        json += ",\"expected\":" + JsonString(SpacedHex(CheckBytes(verdict.computed, size, check.order))) +
                ",\"found\":" + JsonString(SpacedHex(CheckBytes(verdict.held, size, check.order)));
    }
    if (!ok) json += ",\"why\":" + JsonString(why);
    return json + "}";
}

// The pieces as JSON in standard output; how many.
int PiecesOut(const PageLink& link, const std::vector<LinkFrame>& pieces) {
    g_out = "[";
    for (const LinkFrame& piece : pieces) {
        if (g_out.size() > 1) g_out += ",";
        const char* kind = piece.kind == LinkFrame::kFrame   ? "frame"
                           : piece.kind == LinkFrame::kNoise ? "noise"
                                                             : "incomplete";
        g_out += "{\"kind\":\"" + std::string(kind) + "\",\"time\":" +
                 NumberJson(static_cast<double>(piece.first_time) / 1000.0) +
                 ",\"hex\":" + JsonString(HexLine(piece.bytes.data(), piece.bytes.size())) +
                 ",\"text\":" + JsonString(TextOf(link.encoding, piece.bytes));
        if (link.check && piece.kind == LinkFrame::kFrame) g_out += ",\"verdict\":" + VerdictJson(link, piece.bytes);
        g_out += "}";
    }
    g_out += "]";
    return static_cast<int>(pieces.size());
}

// A call on a link that is not open: nothing to show, and said so.
int NoLink() {
    g_out = "[]";
    g_err = kPrefix + "no such link\n";
    return 0;
}

// Standard input as the page gives it to a run.
CliEnvironment StdinEnvironment(const std::string& stdin_bytes) {
    CliEnvironment env;
    env.read_stdin = [&stdin_bytes](std::size_t max_bytes, std::string& bytes, std::string&) {
        bytes = stdin_bytes.substr(0, max_bytes);
        return true;
    };
    env.stream_stdin = [&stdin_bytes](const ConsumeBlock& consume, std::string&) {
        consume(stdin_bytes.data(), stdin_bytes.size());
        return true;
    };
    return env;
}

// The page's file for a streamed run, read a block at a time: the browser
// read blocks of 32 MiB at twice the speed of 8. They are handed on in
// pieces of 64 KiB, so that the text a piece makes (six times its size for
// an array) stays in the cache until it goes out: pieces of 1 MiB made it
// four times as slowly (docs/performance.md).
bool StreamPageFile(const ConsumeBlock& consume, std::string& error) {
    constexpr std::size_t kReadBytes = std::size_t{32} << 20;
    constexpr std::size_t kPieceBytes = std::size_t{64} << 10;
    std::vector<char> block(kReadBytes);
    for (double offset = 0;;) {
        const double read = quobrix_page_read(offset, block.data(), static_cast<double>(block.size()));
        if (!(read >= 0 && read <= static_cast<double>(block.size()))) {
            char why[256];
            quobrix_page_read_why(why, sizeof why);
            error = why[0] != '\0' ? why : "the browser could not read it";
            return false;
        }
        const auto size = static_cast<std::size_t>(read);
        if (size == 0) return true;
        for (std::size_t at = 0; at < size; at += kPieceBytes) {
            consume(block.data() + at, std::min(kPieceBytes, size - at));
        }
        offset += read;
    }
}

}  // namespace

const CliCommandTable kPageCommands = {kPageCommandRows, sizeof kPageCommandRows / sizeof kPageCommandRows[0]};

extern "C" {

int quobrix_run(const char* args, size_t args_size, const char* input, size_t input_size) {
    g_out.clear();
    g_err.clear();
    const std::string stdin_bytes(input, input_size);
    CliEnvironment env = StdinEnvironment(stdin_bytes);
    // A page has no file system: its files come through quobrix_crc_begin.
    env.stream_file = [](const std::string&, const ConsumeBlock&, std::string& error) {
        error = std::strerror(ENOENT);
        return false;
    };
    return RunCli(SplitArguments(args, args_size), env, g_out, g_err, kPageCommands);
}

int quobrix_run_streamed(const char* args, size_t args_size, const char* input, size_t input_size) {
    g_out.clear();
    g_err.clear();
    const std::string stdin_bytes(input, input_size);
    CliEnvironment env = StdinEnvironment(stdin_bytes);
    // The page offers one file, the one the words name: there is no other
    // to find by its name.
    env.stream_file = [](const std::string&, const ConsumeBlock& consume, std::string& error) {
        return StreamPageFile(consume, error);
    };
    env.write_stdout = [](const std::string& bytes) {
        return bytes.empty() || quobrix_page_write(bytes.data(), static_cast<double>(bytes.size())) != 0;
    };
    const int code = RunCli(SplitArguments(args, args_size), env, g_out, g_err, kPageCommands);
    // What a command kept rather than wrote goes out last, as a process's
    // standard output would be flushed at its end.
    if (!g_out.empty() && !env.write_stdout(g_out)) {
        g_out.clear();
        return code == kExitReport ? kExitUsage : code;
    }
    g_out.clear();
    return code;
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

void quobrix_set_language(int chinese) {
    i18n::SetLanguage(chinese != 0 ? i18n::Language::kChinese : i18n::Language::kEnglish);
}

void quobrix_dialog_tools(void) {
    g_out = DialogToolsJson();
    g_err.clear();
}

int quobrix_link_open(double gap_ms, int encoding) {
    g_out.clear();
    g_err.clear();
    FramingRule rule;
    rule.kind = FramingRule::kGap;
    rule.gap_us = Microseconds(gap_ms);
    if (rule.gap_us <= 0 || encoding < 0 || encoding > 1) {
        g_err = kPrefix + "a link needs a gap above 0 ms and encoding 0 or 1\n";
        return 0;
    }
    auto link = std::make_unique<PageLink>(rule);
    link->encoding = encoding == 1 ? TextEncoding::kGbk : TextEncoding::kUtf8;
    const int id = g_next_link++;
    g_links[id] = std::move(link);
    return id;
}

int quobrix_link_check(int link, const char* check, size_t check_size) {
    g_out.clear();
    g_err.clear();
    PageLink* found = FindLink(link);
    if (found == nullptr) {
        g_err = kPrefix + "no such link\n";
        return kExitUsage;
    }
    found->check.reset();
    found->check_name.clear();
    const std::string name(check, check_size);
    if (name.find_first_not_of(" \t") == std::string::npos) return kExitReport;
    LinkCheck read;
    std::string note, error;
    if (!ReadLinkCheck(name, std::nullopt, std::nullopt, read, note, error) || !CanSend(read, error)) {
        g_err = ErrorLines(error);
        return kExitUsage;
    }
    if (!note.empty()) g_err = kPrefix + note + "\n";
    found->check = read;
    found->check_name = name;
    return kExitReport;
}

int quobrix_link_push(int link, const char* bytes, size_t size, double time_ms) {
    g_err.clear();
    PageLink* found = FindLink(link);
    if (found == nullptr) return NoLink();
    std::vector<LinkFrame> pieces;
    found->framer.Push(reinterpret_cast<const unsigned char*>(bytes), size, Microseconds(time_ms), pieces);
    return PiecesOut(*found, pieces);
}

int quobrix_link_idle(int link, double now_ms) {
    g_err.clear();
    PageLink* found = FindLink(link);
    if (found == nullptr) return NoLink();
    std::vector<LinkFrame> pieces;
    found->framer.Idle(Microseconds(now_ms), 0, pieces);
    return PiecesOut(*found, pieces);
}

double quobrix_link_deadline(int link) {
    const PageLink* found = FindLink(link);
    const LinkTime deadline = found == nullptr ? -1 : found->framer.Deadline(0);
    return deadline < 0 ? -1.0 : static_cast<double>(deadline) / 1000.0;
}

int quobrix_link_finish(int link) {
    g_err.clear();
    PageLink* found = FindLink(link);
    if (found == nullptr) return NoLink();
    std::vector<LinkFrame> pieces;
    found->framer.Finish(pieces);
    return PiecesOut(*found, pieces);
}

void quobrix_link_close(int link) { g_links.erase(link); }

int quobrix_link_send(int link, const char* data, size_t size, int kind) {
    g_out.clear();
    g_err.clear();
    const PageLink* found = FindLink(link);
    if (found == nullptr) {
        g_err = kPrefix + "no such link\n";
        return kExitUsage;
    }
    const std::string text(data, size);
    LinkBytes bytes;
    std::string error;
    if (kind == 0) {
        if (!ReadHexBytes(text, "the frame", bytes, error)) {
            g_err = ErrorLines(error);
            return kExitUsage;
        }
    } else {
        std::string encoded = text;
        if (found->encoding == TextEncoding::kGbk && !GbkTextBytes(text, "the text", encoded, error)) {
            g_err = ErrorLines(error);
            return kExitUsage;
        }
        bytes.assign(encoded.begin(), encoded.end());
    }
    if (bytes.empty()) {
        g_err = kPrefix + "nothing to send\n";
        return kExitUsage;
    }
    const LinkBytes frame = found->check ? BuildLinkFrame(*found->check, bytes) : bytes;
    g_out = "{\"bytes\":[";
    for (std::size_t i = 0; i < frame.size(); ++i) g_out += (i ? "," : "") + std::to_string(frame[i]);
    g_out += "],\"hex\":" + JsonString(HexLine(frame.data(), frame.size())) +
             ",\"text\":" + JsonString(TextOf(found->encoding, frame)) + "}";
    return kExitReport;
}

const char* quobrix_out(void) { return g_out.data(); }
size_t quobrix_out_size(void) { return g_out.size(); }
const char* quobrix_err(void) { return g_err.data(); }
size_t quobrix_err_size(void) { return g_err.size(); }

}  // extern "C"
