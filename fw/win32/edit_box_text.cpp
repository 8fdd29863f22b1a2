// WM_SETTEXT makes an edit box lay out every line of its text anew and paint
// it all again, even when the text is the one it already shows. Under Wine
// the layout of a line runs the Unicode bidirectional algorithm over the
// whole line, in a time that grows with the square of a run of digits and
// blanks: the 20480 bytes of input a dialog writes back after each tool take
// tens of milliseconds, a report line of 61 KB of hex digits over a second.
// Rewriting an unchanged text can only move the caret and the view back to
// the start and reset the modified and undo states; doing just that leaves
// the box as WM_SETTEXT would, without the layout.
#include "fw/win32/edit_box_text.h"

#include <cstring>

#include "fw/backend.h"

namespace {

bool HoldsText(HWND edit, const char* text) {
    // The length may overestimate a double-byte text, never underestimate it:
    // a shorter box cannot hold the text, and is not read.
    const size_t size = std::strlen(text);
    const int length = ::GetWindowTextLengthA(edit);
    return length >= 0 && static_cast<size_t>(length) >= size &&
           fw::backend::GetWindowText(edit) == text;
}

// What WM_SETTEXT does besides replacing the text. Each step is skipped when
// already so: placing the caret or scrolling makes the box measure its first
// line, which is the expensive layout again.
void ResetAsRewritten(HWND edit) {
    DWORD start = 0, end = 0;
    ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    if (start != 0 || end != 0) ::SendMessageA(edit, EM_SETSEL, 0, 0);
    // With the caret at the start, scrolling it into view scrolls to the
    // first line and column.
    if (::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0) != 0 ||
        ::GetScrollPos(edit, SB_HORZ) != 0)
        ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    ::SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    ::SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

}  // namespace

namespace fw {
namespace win32 {

bool IsEditBox(HWND window) {
    char class_name[8] = {};
    ::GetClassNameA(window, class_name, sizeof class_name);
    return ::lstrcmpiA(class_name, "Edit") == 0;
}

void SetEditBoxText(HWND edit, const char* text) {
    if (HoldsText(edit, text))
        ResetAsRewritten(edit);
    else
        ::SetWindowTextA(edit, text);
}

}  // namespace win32
}  // namespace fw
