// A frame as protocols lay it out: head bytes (a start byte, an address),
// the data, the check computed over the data, tail bytes (an end byte).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/frames/check_method.h"

using Bytes = std::vector<unsigned char>;

// How a check wider than a byte is stored: high byte first or low first. A
// width that is no whole number of bytes has zero bits on top.
enum class CheckOrder { kBigEndian, kLittleEndian };

// "be" or "le"; a one-byte check has no order and is written "-".
std::string CheckOrderWord(CheckOrder order, int byte_count);

// The check's `byte_count` bytes in `order`, and the number they hold.
Bytes CheckBytes(Uint128 value, int byte_count, CheckOrder order);
Uint128 ReadCheckBytes(const unsigned char* bytes, int byte_count, CheckOrder order);

// Head, data, the check over the data, tail.
Bytes BuildFrame(const CheckMethod& method, CheckOrder order, const Bytes& head, const Bytes& data,
                 const Bytes& tail);

// The bytes before the data or after the check: exactly `bytes`, or, when
// `any` is set, any `count` bytes.
struct FrameEnd {
    Bytes bytes;
    bool any = false;
    std::size_t count = 0;
    std::size_t size() const { return any ? count : bytes.size(); }
};

struct FrameVerdict {
    enum Kind {
        kOk,
        kTooShort,      // no room for head, one data byte, check and tail
        kHeadDiffers,   // `position` from the frame's start
        kTailDiffers,
        kCheckDiffers,  // `held` is in the frame, `computed` is what the data gives
    } kind = kOk;
    std::size_t position = 0;
    unsigned char found = 0, expected = 0;
    Uint128 held, computed;
};

FrameVerdict VerifyFrame(const CheckMethod& method, CheckOrder order, const FrameEnd& head, const FrameEnd& tail,
                         const Bytes& frame);

// Where `find` placed a check: "CRC-16/MODBUS le head=1 tail=0" names the
// check, its order and the bytes around. `text` may end in those words (an
// order, then head=N and tail=N, each optional); what comes before them is
// returned, and the words are read into `placement`. False with `error` when
// a trailing word looks like one of them but is not sound.
struct FramePlacement {
    std::optional<CheckOrder> order;
    bool any_order = false;  // "-": the order of a one-byte check
    std::optional<std::size_t> head, tail;
};
bool SplitPlacement(std::string_view text, std::string_view& check, FramePlacement& placement, std::string& error);
