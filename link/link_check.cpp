#include "link/link_check.h"

#include "workbench/frames/frame_search.h"

namespace {

// --head (--tail) and CHECK's head=N (tail=N) must agree; a count alone
// stands for any bytes.
bool ChooseEnd(const std::optional<LinkBytes>& bytes, const std::optional<std::size_t>& count, const char* name,
               FrameEnd& end, std::string& error) {
    if (bytes) end.bytes = *bytes;
    if (!count) return true;
    if (bytes && bytes->size() != *count) {
        error = std::string("--") + name + " holds " + std::to_string(bytes->size()) + " bytes, but CHECK says " +
                name + "=" + std::to_string(*count);
        return false;
    }
    if (!bytes && *count > 0) {
        end.any = true;
        end.count = *count;
    }
    return true;
}

std::string HexByte(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

}  // namespace

bool ReadLinkCheck(const std::string& text, const std::optional<LinkBytes>& head,
                   const std::optional<LinkBytes>& tail, LinkCheck& check, std::string& note, std::string& error) {
    note.clear();
    std::string_view name;
    FramePlacement placement;
    if (!SplitPlacement(text, name, placement, error)) return false;
    if (name.empty()) {
        error = "--check '" + text + "' names no check";
        return false;
    }
    if (!ResolveCheckMethod(name, check.method, note, error)) return false;
    if (check.method.byte_count() > 1 && placement.any_order) {
        error = "the order - is a one-byte check's; " + std::string(name) + " takes " +
                std::to_string(check.method.byte_count()) + " bytes, so be or le";
        return false;
    }
    check.order = placement.order.value_or(CheckOrder::kBigEndian);
    return ChooseEnd(head, placement.head, "head", check.head, error) &&
           ChooseEnd(tail, placement.tail, "tail", check.tail, error);
}

bool CanSend(const LinkCheck& check, std::string& error) {
    const char* missing = check.head.any ? "head" : check.tail.any ? "tail" : nullptr;
    if (missing == nullptr) return true;
    error = std::string("CHECK says ") + missing + "=" +
            std::to_string(check.head.any ? check.head.count : check.tail.count) +
            ": give those bytes with --" + missing + " to send frames";
    return false;
}

LinkBytes BuildLinkFrame(const LinkCheck& check, const LinkBytes& data) {
    return BuildFrame(check.method, check.order, check.head.bytes, data, check.tail.bytes);
}

std::string CheckVerdict(const LinkCheck& check, const LinkBytes& frame, bool& ok) {
    const FrameVerdict verdict = VerifyFrame(check.method, check.order, check.head, check.tail, frame);
    ok = verdict.kind == FrameVerdict::kOk;
    const int size = check.method.byte_count();
    const auto spaced = [](const Bytes& bytes) {
        std::string text;
        for (unsigned char b : bytes) text += (text.empty() ? "" : " ") + HexByte(b);
        return text;
    };
    switch (verdict.kind) {
        case FrameVerdict::kOk:
            return "ok";
        case FrameVerdict::kTooShort:
            return "too short for the check: " + std::to_string(frame.size()) + " bytes";
        case FrameVerdict::kHeadDiffers:
        case FrameVerdict::kTailDiffers:
            return std::string(verdict.kind == FrameVerdict::kHeadDiffers ? "head" : "tail") + " byte " +
                   std::to_string(verdict.position + 1) + " is " + HexByte(verdict.found) + ", not " +
                   HexByte(verdict.expected);
        case FrameVerdict::kCheckDiffers:
            return "check " + spaced(CheckBytes(verdict.held, size, check.order)) + ", the data gives " +
                   spaced(CheckBytes(verdict.computed, size, check.order));
    }
    return "ok";
}

std::string IdentifyCheck(const std::vector<LinkBytes>& frames) {
    FrameSearchOptions options;
    options.recovery = RecoveryMode::kNever;  // a terminal must not stall on a long search
    const FrameSearchResult result = SearchFrames(frames, options);
    if (result.matches.empty()) return "";
    const FrameMatch& best = result.matches.front();
    return best.method.Label() + " " + CheckOrderWord(best.order, best.method.byte_count()) +
           " head=" + std::to_string(best.head) + " tail=" + std::to_string(best.tail);
}
