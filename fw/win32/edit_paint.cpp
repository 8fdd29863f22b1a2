// Wine's edit box lays out every visible line again on each WM_PAINT, before
// it looks at what needs drawing, and a WM_PAINT may come with an empty
// update region (after its scroll bars were redrawn, for one). With a long
// line of hex digits in view that layout takes over a second, for a paint
// that draws nothing. Such a paint is answered here: BeginPaint and EndPaint
// still paint the frame if it needs it and validate the window, as the box's
// own handler would, and the client area stays as it is.
#include "fw/win32/edit_paint.h"

#include <commctrl.h>

#include "fw/win32/edit_box_text.h"

namespace {

// Distinct from the subclass that passes Enter to the dialog.
const UINT_PTR kSubclassId = 2;

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(edit, &EditProc, kSubclassId);
    // A paint into a given device context is a request to draw, not an update.
    if (message == WM_PAINT && wparam == 0 && !::GetUpdateRect(edit, nullptr, FALSE)) {
        PAINTSTRUCT paint;
        ::BeginPaint(edit, &paint);
        ::EndPaint(edit, &paint);
        return 0;
    }
    return ::DefSubclassProc(edit, message, wparam, lparam);
}

BOOL CALLBACK SubclassEditBox(HWND child, LPARAM) {
    if (fw::win32::IsEditBox(child)) ::SetWindowSubclass(child, &EditProc, kSubclassId, 0);
    return TRUE;
}

}  // namespace

namespace fw {
namespace win32 {

void SkipIdleEditPaints(HWND dialog) { ::EnumChildWindows(dialog, &SubclassEditBox, 0); }

}  // namespace win32
}  // namespace fw
