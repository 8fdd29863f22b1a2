#include "core/crc_params.h"

namespace {

bool FitsWidth(Uint128 value, int width) { return (value & ~LowBitsMask(width)).IsZero(); }

}  // namespace

std::string CrcParamsError(const CrcParams& params) {
    if (params.width < kCrcMinWidth || params.width > kCrcMaxWidth) {
        return "width " + std::to_string(params.width) + " is outside " + std::to_string(kCrcMinWidth) +
               " to " + std::to_string(kCrcMaxWidth);
    }
    const std::string bits = " has bits above the width of " + std::to_string(params.width);
    if (!FitsWidth(params.poly, params.width)) return "poly" + bits;
    if (!FitsWidth(params.init, params.width)) return "init" + bits;
    if (!FitsWidth(params.xorout, params.width)) return "xorout" + bits;
    return "";
}
