#include "workbench_window/pages/find_page.h"

#include "cli/find_report.h"
#include "cli/hex_bytes.h"
#include "cli/messages.h"
#include "core/hexdump.h"
#include "workbench/crc/model_text.h"

namespace find_page {

Answer Find(const std::string& text, const std::string& max_skip, RecoveryMode recovery, const Hooks& hooks) {
    Answer answer;
    FrameSearchOptions search;
    if (!ReadMaxSkip(max_skip, search.max_skip, answer.error)) return answer;
    search.recovery = recovery;
    for (const NumberedLine& line : FrameLines(text)) {
        Bytes bytes;
        if (!ReadHexBytes(line.text, "line " + std::to_string(line.number), bytes, answer.error)) {
            answer.frames.clear();
            return answer;
        }
        answer.frames.push_back(std::move(bytes));
    }
    if (answer.frames.empty()) {
        answer.error = "no frames: paste them one a line";
        return answer;
    }
    search.cancelled = hooks.cancelled;
    if (hooks.before_slow_recovery) {
        search.before_slow_recovery = [&hooks](double seconds) {
            hooks.before_slow_recovery(SlowRecoveryNote(seconds));
        };
    }
    const FrameSearchResult result = SearchFrames(answer.frames, search);
    if (result.cancelled) {
        answer.cancelled = true;
        return answer;
    }
    for (const FrameMatch& match : result.matches) {
        const std::string params = match.method.is_crc() ? FormatCrcParams(match.method.crc_params()) : "";
        answer.rows.push_back(Row{match.method.Label(), OrderWord(match), std::to_string(match.head),
                                  std::to_string(match.tail), params, match});
    }
    FindNotes(result, search.max_skip, answer.notes);
    return answer;
}

frame_page::Form FormOf(const Row& row, const Bytes& first_frame) {
    frame_page::Form form;
    form.check = row.name;
    form.order = row.order == "le" ? frame_page::Order::kLittleEndian : frame_page::Order::kBigEndian;
    const std::size_t head = row.match.head, tail = row.match.tail;
    if (head + tail <= first_frame.size()) {
        form.head = SpacedHex(Bytes(first_frame.begin(), first_frame.begin() + static_cast<std::ptrdiff_t>(head)));
        form.tail = SpacedHex(Bytes(first_frame.end() - static_cast<std::ptrdiff_t>(tail), first_frame.end()));
    }
    form.data = SpacedHex(first_frame);
    return form;
}

}  // namespace find_page
