// The find page's logic, without a window: frames pasted one a line, the
// explanations as rows of a list, and the command line's notes under it;
// and the frame page's form for an explanation chosen from the list.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "workbench/frames/frame_search.h"
#include "workbench_window/pages/frame_page.h"

namespace find_page {

// One explanation as the list shows it, most plausible first: the check's
// name (a recovered CRC's parameter line), the byte order (be, le, or - for
// a one-byte check), head and tail, and a CRC's parameters.
struct Row {
    std::string name, order, head, tail, params;
    FrameMatch match;
};

struct Answer {
    std::vector<Row> rows;
    // quobrix find's notes, without its prefix, in its order.
    std::vector<std::string> notes;
    // Why the frames could not be searched (a line that is no hex, a max skip
    // out of range); then rows and notes are empty.
    std::string error;
    std::vector<Bytes> frames;  // as read, one per line that is not blank
    bool cancelled = false;     // `cancelled` stopped the search: nothing else is set
};

// What a window running the search on a thread of its own needs: the
// command line's note before a long recovery, and a way to stop it.
struct Hooks {
    std::function<void(const std::string& note)> before_slow_recovery;
    std::function<bool()> cancelled;
};

// `text` holds the frames, one a line (hex as the dialog reads it, blank
// lines ignored); `max_skip` is the field's text (decimal, 0 to 64);
// `recovery` is quobrix find's: kAuto (its default) recovers an unknown CRC
// when no named check holds and recovery is quick, kAlways searches for one
// too (--search), kNever never does (--no-search).
Answer Find(const std::string& text, const std::string& max_skip, RecoveryMode recovery,
            const Hooks& hooks = {});

// The frame page filled for a row: its check, order, head and tail bytes as
// the first frame holds them, and the first frame to verify.
frame_page::Form FormOf(const Row& row, const Bytes& first_frame);

}  // namespace find_page
