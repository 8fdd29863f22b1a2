// How long an RTU frame is, told from its first bytes. RTU marks a frame's
// end only by the line's silence, which a USB adapter or a busy system
// blurs; the function's layout says it exactly once the function code and,
// where the layout varies, the byte count have come. The master cuts
// answers this way and the slave cuts requests.
#pragma once

#include <cstddef>

struct RtuFrameLength {
    enum Kind {
        kKnown,      // `size` bytes: unit, PDU and CRC
        kNeedMore,   // the bytes so far do not reach what tells the length
        kBySilence,  // no layout tells it (an unknown function, diagnostics): the silence ends the frame
    } kind = kNeedMore;
    std::size_t size = 0;
};

// The request that starts at `bytes` (unit first), as a slave reads it.
RtuFrameLength RtuRequestLength(const unsigned char* bytes, std::size_t size);
// The response that starts at `bytes`, as a master reads it; an exception
// response takes 5 bytes.
RtuFrameLength RtuResponseLength(const unsigned char* bytes, std::size_t size);
