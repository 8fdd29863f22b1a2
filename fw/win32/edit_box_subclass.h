// The dialog's edit boxes, mended where Wine's edit box differs from Windows'.
#pragma once

#include "fw/win_types.h"

namespace fw {
namespace win32 {

// Subclasses each edit box of the dialog once: a paint with nothing to draw
// is answered without drawing, and Enter in a multiline box without
// ES_WANTRETURN reaches the dialog manager, which sends the default command
// (IDOK).
void SubclassEditBoxes(HWND dialog);

}  // namespace win32
}  // namespace fw
