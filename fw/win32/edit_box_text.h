// Setting the text of an edit box without laying out again a text it holds.
#pragma once

#include "fw/win_types.h"

namespace fw {
namespace win32 {

bool IsEditBox(HWND window);

// Has the effect of WM_SETTEXT on an edit box: the box holds `text`, the
// caret is at its start with nothing selected, the first line and column are
// in view, the box counts as unmodified and there is nothing to undo.
void SetEditBoxText(HWND edit, const char* text);

}  // namespace win32
}  // namespace fw
