// Edit boxes skip a paint that has nothing to draw.
#pragma once

#include "fw/win_types.h"

namespace fw {
namespace win32 {

// Makes the dialog's edit boxes answer WM_PAINT without drawing when none
// of their client area needs it.
void SkipIdleEditPaints(HWND dialog);

}  // namespace win32
}  // namespace fw
