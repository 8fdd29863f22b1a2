// The frame of quobrix frame, built or verified: what the command line and
// the window's frame page both ask, and the lines both show.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "workbench/frames/frame_build.h"

struct FrameRequest {
    std::string check;                      // CHECK as given, perhaps ending in ORDER head=H tail=T
    std::optional<CheckOrder> order;        // --order be or le
    bool one_byte_order = false;            // --order -, as find writes a one-byte check's
    std::optional<std::string> head, tail;  // --head and --tail, hex digits
    bool verify = false;
    std::string data;  // the DATA words, a blank between them
    // --text: the words of a check written at the end of a text line
    // ("XOR-8 text from=$ to=* hex2"); `data` is then the line, escapes read.
    std::optional<std::string> text;
};

// Builds the frame, or with `verify` judges it: the line to show in `out`
// (the frame as "%02X " bytes, or "ok" or what differs), the notes and
// errors in `err`, each line after kPrefix, as quobrix frame prints them.
// Returns quobrix frame's exit status. With `text` the line built is shown
// with its escapes (\r\n), on one line.
int RunFrameRequest(const FrameRequest& request, std::string& out, std::string& err);
