#include "workbench/crc/params.h"

#include "i18n/translate.h"

namespace {

bool FitsWidth(Uint128 value, int width) { return (value & ~LowBitsMask(width)).IsZero(); }

}  // namespace

bool CheckCrcParams(const CrcParams& params, std::string& error) {
    if (params.width < kCrcMinWidth || params.width > kCrcMaxWidth) {
        error = i18n::Format(i18n::Tr("width %1$s is outside %2$s to %3$s"),
                             {std::to_string(params.width), std::to_string(kCrcMinWidth), std::to_string(kCrcMaxWidth)});
        return false;
    }
    const auto bits_above = [&](const char* field) {
        error = i18n::Format(i18n::Tr("%1$s has bits above the width of %2$s"), {field, std::to_string(params.width)});
        return false;
    };
    if (!FitsWidth(params.poly, params.width)) return bits_above("poly");
    if (!FitsWidth(params.init, params.width)) return bits_above("init");
    if (!FitsWidth(params.xorout, params.width)) return bits_above("xorout");
    error.clear();
    return true;
}
