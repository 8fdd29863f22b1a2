// The program's message boxes, seen from outside: under Wine a message box
// is a "#32770" dialog owned by the main dialog, its text in the static
// control 0xFFFF.
#pragma once

#include <windows.h>

#include <string>

namespace window_test {

struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;  // GBK
    std::string text;     // GBK
    int button_count = 0;
    int first_button_id = 0;
    bool has_icon = false;  // a visible SS_ICON static
};

// Waits (bounded) for a visible message box owned by `owner` other than
// `previous`, and reads it. window is null when none came.
MessageBoxView WaitForMessageBox(HWND owner, HWND previous = nullptr);

// Presses the box's first button (posted, as the program's handler goes on
// running when the box ends) and waits until the box is gone.
bool CloseMessageBox(const MessageBoxView& box);

}  // namespace window_test
