#include "workbench/crc/params.h"

namespace {

bool FitsWidth(Uint128 value, int width) { return (value & ~LowBitsMask(width)).IsZero(); }

}  // namespace

bool CheckCrcParams(const CrcParams& params, std::string& error) {
    if (params.width < kCrcMinWidth || params.width > kCrcMaxWidth) {
        error = "width " + std::to_string(params.width) + " is outside " + std::to_string(kCrcMinWidth) + " to " +
                std::to_string(kCrcMaxWidth);
        return false;
    }
    const std::string bits = " has bits above the width of " + std::to_string(params.width);
    if (!FitsWidth(params.poly, params.width)) return error = "poly" + bits, false;
    if (!FitsWidth(params.init, params.width)) return error = "init" + bits, false;
    if (!FitsWidth(params.xorout, params.width)) return error = "xorout" + bits, false;
    error.clear();
    return true;
}
