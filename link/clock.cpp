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
