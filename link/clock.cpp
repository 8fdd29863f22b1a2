#include <algorithm>
#include <chrono>
#include <climits>

#include "link/link.h"

// steady_clock: monotonic on every platform the program is built for.
LinkTime LinkNow() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int LinkPollMs(LinkTime timeout_us) {
    if (timeout_us < 0) return -1;
    return static_cast<int>(std::min<LinkTime>((timeout_us + 999) / 1000, INT_MAX));
}

std::string DurationText(LinkTime us) {
    if (us % 1000000 == 0) return std::to_string(us / 1000000) + " s";
    return std::to_string((us + 999) / 1000) + " ms";
}
