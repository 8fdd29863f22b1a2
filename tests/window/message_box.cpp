#include "tests/window/message_box.h"

#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace window_test {
namespace {

constexpr int kMessageTextId = 0xFFFF;

}  // namespace

MessageBoxView WaitForMessageBox(HWND owner, HWND previous) {
    MessageBoxView view;
    const bool came = WaitUntil([&] {
        for (HWND box : OwnedDialogs(owner))
            if (box != previous) view.window = box;
        return view.window != nullptr;
    });
    if (!came) return view;  // window stays null; the callers assert it
    view.caption = CaptionOf(view.window);
    view.text = TextOf(GetDlgItem(view.window, kMessageTextId));
    for (HWND child : ChildrenOf(view.window)) {
        const std::string cls = ClassNameOf(child);
        const DWORD style = StyleOf(child);
        if (cls == "Button" && (style & WS_VISIBLE)) {
            if (view.button_count++ == 0) view.first_button_id = GetDlgCtrlID(child);
        } else if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE)) {
            view.has_icon = true;
        }
    }
    return view;
}

bool CloseMessageBox(const MessageBoxView& box) {
    const HWND button = GetDlgItem(box.window, box.first_button_id);
    PostMessageA(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

}  // namespace window_test
