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
};

// Builds the frame, or with `verify` judges it: the line to show in `out`
// (the frame as "%02X " bytes, or "ok" or what differs), the notes and
// errors in `err`, each line after kPrefix, as quobrix frame prints them.
// Returns quobrix frame's exit status.
int RunFrameRequest(const FrameRequest& request, std::string& out, std::string& err);
