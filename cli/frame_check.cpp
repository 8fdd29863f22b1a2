#include "cli/frame_check.h"

#include "cli/environment.h"
#include "cli/find_report.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "core/hexdump.h"
#include "core/string_format.h"
#include "i18n/translate.h"

namespace {

using i18n::Format;
using i18n::Tr;

// ---- The check and the bytes around the data ----------------------------

// The check, its order and the bytes around the data, from CHECK and the
// options.
struct FrameSetup {
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    CheckOrder order = CheckOrder::kBigEndian;
    FrameEnd head, tail;
};

// --head (--tail) and the line's head=N (tail=N): the bytes, or with
// --verify only their count.
bool ChooseEnd(const std::optional<std::string>& hex, const std::optional<std::size_t>& count, const char* name,
               bool verify, FrameEnd& end, std::string& error) {
    const std::string option = std::string("--") + name;
    if (hex && !ReadHexBytes(*hex, option, end.bytes, error)) return false;
    if (!count) return true;
    if (hex && end.bytes.size() != *count) {
        error = Format(Tr("%1$s holds %2$s bytes, but CHECK says %3$s=%4$s"),
                       {option, std::to_string(end.bytes.size()), name, std::to_string(*count)});
        return false;
    }
    if (!hex && *count > 0) {
        if (!verify) {
            error = Format(Tr("CHECK says %1$s=%2$s: give those bytes with %3$s"),
                           {name, std::to_string(*count), option});
            return false;
        }
        end.any = true;
        end.count = *count;
    }
    return true;
}

// The check CHECK names, with the note to show beside the result, if any
// (set once the check is known, so also when a later step fails); false with
// what is wrong, of one line or several.
bool Setup(const FrameRequest& options, FrameSetup& setup, std::string& note, std::string& error) {
    std::string_view check;
    FramePlacement placement;
    if (!SplitPlacement(options.check, check, placement, error)) {
        error = Format(Tr("CHECK: %1$s"), {EscapeBytes(error)});  // one line, whatever the words hold
        return false;
    }
    if (check.empty()) {
        error = Format(Tr("CHECK '%1$s' names no check"), {EscapeBytes(options.check)});
        return false;
    }
    if (!ResolveCheckMethod(check, setup.method, note, error)) return false;
    // "-" says the check has one byte, so no order; building a wider one
    // in some order anyway would hide that CHECK is not what was meant.
    const int check_size = setup.method.byte_count();
    if (check_size > 1 && (placement.any_order || options.one_byte_order)) {
        error = Format(options.one_byte_order
                           ? Tr("--order - is a one-byte check's; %1$s takes %2$s bytes, so be or le")
                           : Tr("the order - of CHECK is a one-byte check's; %1$s takes %2$s bytes, so be or le"),
                       {EscapeBytes(std::string(check)), std::to_string(check_size)});
        return false;
    }
    if (placement.order && options.order && *placement.order != *options.order) {
        error = Format(Tr("--order %1$s and the order %2$s of CHECK differ"),
                       {CheckOrderWord(*options.order, 2), CheckOrderWord(*placement.order, 2)});
        return false;
    }
    setup.order = options.order ? *options.order : placement.order.value_or(CheckOrder::kBigEndian);
    return ChooseEnd(options.head, placement.head, "head", options.verify, setup.head, error) &&
           ChooseEnd(options.tail, placement.tail, "tail", options.verify, setup.tail, error);
}

// ---- The output --------------------------------------------------------

// Why a frame does not verify, one line.
std::string Mismatch(const FrameSetup& setup, const FrameVerdict& verdict, std::size_t frame_size) {
    const int check_size = setup.method.byte_count();
    switch (verdict.kind) {
        case FrameVerdict::kTooShort:
            return "the frame is too short: " + std::to_string(frame_size) + " bytes, where head, one byte of data, " +
                   "the check and tail take " +
                   std::to_string(setup.head.size() + 1 + static_cast<std::size_t>(check_size) + setup.tail.size());
        case FrameVerdict::kHeadDiffers:
        case FrameVerdict::kTailDiffers:
            return StringFormat("byte %zu (%s) is %02X, --%s says %02X", verdict.position + 1,
                                verdict.kind == FrameVerdict::kHeadDiffers ? "head" : "tail", verdict.found,
                                verdict.kind == FrameVerdict::kHeadDiffers ? "head" : "tail", verdict.expected);
        case FrameVerdict::kCheckDiffers:
            return "the frame holds the check " + SpacedHex(CheckBytes(verdict.held, check_size, setup.order)) +
                   ", its data gives " + SpacedHex(CheckBytes(verdict.computed, check_size, setup.order));
        case FrameVerdict::kOk:
            break;
    }
    return "ok";
}

// ---- The run -----------------------------------------------------------

}  // namespace

namespace {

int RunTextFrameRequest(const FrameRequest& options, std::string& out, std::string& err) {
    CheckMethod method = CheckMethod::OfSum(kSumChecks[0]);
    TextCheckForm form;
    std::string note, error;
    const bool ready = ReadTextCheck(*options.text, method, form, note, error);
    if (!note.empty()) err += kPrefix + note + "\n";
    if (!ready) {
        err += kPrefix + Format(Tr("--text: %1$s"), {EscapeBytes(error)}) + "\n";
        return kExitUsage;
    }
    if (!options.verify) {
        std::string built;
        if (!BuildTextLine(method, form, options.data, built, error)) {
            err += kPrefix + Format(Tr("LINE: %1$s"), {error}) + "\n";
            return kExitUsage;
        }
        out += EscapeTextLine(built) + "\n";
        return kExitReport;
    }
    const TextVerdict verdict = VerifyTextLine(method, form, options.data);
    if (!verdict.problem.empty()) {
        out += verdict.problem + "\n";
        return kExitMessageBox;
    }
    out += verdict.ok ? "ok\n" : "expected " + verdict.expected + ", got " + verdict.got + "\n";
    return verdict.ok ? kExitReport : kExitMessageBox;
}

}  // namespace

int RunFrameRequest(const FrameRequest& options, std::string& out, std::string& err) {
    if (options.text) return RunTextFrameRequest(options, out, err);
    FrameSetup setup;
    std::string note, error;
    const bool ready = Setup(options, setup, note, error);
    if (!note.empty()) err += kPrefix + note + "\n";
    if (!ready) {
        // The lines may echo the user's bytes.
        err += ErrorLines(error);
        return kExitUsage;
    }
    Bytes data;
    if (!ReadHexBytes(options.data, options.verify ? "FRAME" : "DATA", data, error)) {
        err += kPrefix + error + "\n";
        return kExitUsage;
    }
    if (!options.verify) {
        out += SpacedHex(BuildFrame(setup.method, setup.order, setup.head.bytes, data, setup.tail.bytes)) + "\n";
        return kExitReport;
    }
    const FrameVerdict verdict = VerifyFrame(setup.method, setup.order, setup.head, setup.tail, data);
    out += Mismatch(setup, verdict, data.size()) + "\n";
    return verdict.kind == FrameVerdict::kOk ? kExitReport : kExitMessageBox;
}

