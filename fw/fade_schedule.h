// The opacity of a window fading out: a straight line from its opacity at the
// start down to fully transparent when the fade's time is up. Portable, so
// the arithmetic is tested apart from the window system.
#pragma once

#include <cstdint>

namespace fw {

// Opacity (0 transparent .. 255 opaque) after `elapsed_ms` of a fade lasting
// `duration_ms` that started at `start_alpha`. Never rises as time goes on,
// and is 0 from the end of the fade on (at once for a fade of no time).
inline std::uint8_t FadeOutAlpha(std::uint64_t elapsed_ms, std::uint64_t duration_ms,
                                 std::uint8_t start_alpha) {
    if (elapsed_ms >= duration_ms) return 0;
    // 64 bits: a duration near the 32-bit limit times 255 must not wrap.
    const std::uint64_t remaining = duration_ms - elapsed_ms;
    return static_cast<std::uint8_t>(start_alpha * remaining / duration_ms);
}

}  // namespace fw
