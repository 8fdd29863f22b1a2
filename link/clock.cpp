#include <chrono>

#include "link/link.h"

// steady_clock: monotonic on every platform the program is built for.
LinkTime LinkNow() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
