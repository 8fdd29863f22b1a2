// The ANSI code page and, for a single-byte one, the case of its letters as
// the system's locale data classify them.
#include "fw/backend.h"

namespace fw {
namespace backend {

UINT AnsiCodePage() { return ::GetACP(); }

bool SingleByteCaseMaps(unsigned char upper[256], unsigned char lower[256]) {
    CPINFO info = {};
    if (!::GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return false;
    for (int byte = 0; byte < 256; ++byte) {
        char up = static_cast<char>(byte);
        char down = static_cast<char>(byte);
        // Byte 00 ends a text and has no case.
        if (byte != 0) {
            ::CharUpperBuffA(&up, 1);
            ::CharLowerBuffA(&down, 1);
        }
        upper[byte] = static_cast<unsigned char>(up);
        lower[byte] = static_cast<unsigned char>(down);
    }
    return true;
}

}  // namespace backend
}  // namespace fw
