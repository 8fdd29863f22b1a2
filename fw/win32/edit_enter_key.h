// Enter in a multiline edit box without ES_WANTRETURN belongs to the dialog.
#pragma once

#include "fw/win_types.h"

namespace fw {
namespace win32 {

// Makes Enter in the dialog's multiline edit boxes that lack ES_WANTRETURN
// reach the dialog manager, which then sends the default command (IDOK).
void PassEnterToDialog(HWND dialog);

}  // namespace win32
}  // namespace fw
