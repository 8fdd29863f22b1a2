// The frame page's logic, without a window: a check, a byte order, head and
// tail bytes and data give the frame in the dialog's "%02X " notation, or a
// pasted frame is verified; both through quobrix frame's own run, so the
// page says what the command line says.
#pragma once

#include <string>
#include <vector>

namespace frame_page {

enum class Order { kBigEndian, kLittleEndian };

struct Form {
    std::string check;  // a catalogue model, a sum, or a CRC parameter line
    Order order = Order::kBigEndian;
    std::string head, tail;  // hex, may be blank
    std::string data;        // hex: the data to frame, or the whole frame to verify
};

struct Answer {
    bool ok = false;   // built, or verified as holding its check
    std::string line;  // the frame, "ok", or what the frame holds and should
    // quobrix frame's notes and errors, without its prefix.
    std::vector<std::string> notes;
};

Answer Build(const Form& form);
Answer Verify(const Form& form);

// The checks the page offers: every catalogue model in its order, then the sums.
std::vector<std::string> CheckNames();

}  // namespace frame_page
