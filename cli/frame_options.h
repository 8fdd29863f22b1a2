// The options of `quobrix frame CHECK [--order be|le] [--head HEX]
// [--tail HEX] [--verify] DATA...`.
#pragma once

#include <optional>
#include <string>

#include "workbench/frames/frame_build.h"

struct FrameCliOptions {
    std::string check;                // CHECK as given, perhaps ending in ORDER head=H tail=T
    std::optional<CheckOrder> order;  // --order
    std::optional<std::string> head, tail;  // --head and --tail, hex digits
    bool verify = false;
    std::string data;  // the DATA words, a blank between them
};
