// The options of the checksum finder: quobrix find [FRAME...].
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "workbench/frames/frame_search.h"

struct FindCliOptions {
    std::vector<std::string> frames;  // one hex text each; none: one a line of standard input
    std::size_t max_skip = 4;
    bool json = false;
    RecoveryMode recovery = RecoveryMode::kAuto;
};

// The most head or tail bytes --max-skip allows.
constexpr std::size_t kMaxSkipLimit = 64;
