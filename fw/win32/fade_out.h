// Fading a window out, with AnimateWindow's AW_HIDE | AW_BLEND contract.
#pragma once

#include "fw/win_types.h"

namespace fw {
namespace win32 {

// Lowers the window's opacity step by step over `duration_ms`, then hides
// it, and returns only then (TRUE). A window that is already hidden is left
// alone and FALSE comes back at once. No messages are handled meanwhile.
BOOL FadeOutWindow(HWND window, DWORD duration_ms);

}  // namespace win32
}  // namespace fw
