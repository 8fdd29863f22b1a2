// Modal dialogs over the Win32 dialog manager. The dialog manager creates
// the window from the template and runs the modal loop (which also turns
// Enter into IDOK and Esc into IDCANCEL); once the window exists it is
// subclassed so that every message goes through the dialog object's message
// map first, the way the framework expects, and only then, through
// DefaultHandling, to the dialog manager's own window procedure.
#include <map>

#include "fw/afxwin.h"
#include "fw/backend.h"
#include "fw/win32/edit_enter_key.h"
#include "fw/win32/edit_paint.h"

namespace {

struct DialogBinding {
    CDialog* dialog;
    WNDPROC original;  // the dialog manager's window procedure
};

// One entry per live dialog window; nested dialogs (the About box) have their own.
std::map<HWND, DialogBinding>& Bindings() {
    static std::map<HWND, DialogBinding> bindings;
    return bindings;
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto found = Bindings().find(window);
    if (found == Bindings().end()) return ::DefWindowProcA(window, message, wparam, lparam);
    // A copy: handlers may open further dialogs, which change the map.
    const DialogBinding binding = found->second;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(binding.original));
        Bindings().erase(window);
        binding.dialog->DetachWindow();
        return ::CallWindowProcA(binding.original, window, message, wparam, lparam);
    }
    return binding.dialog->WindowProc(message, wparam, lparam);
}

// The dialog procedure the dialog manager calls. Before the subclassing it
// sees WM_SETFONT and WM_INITDIALOG; afterwards it is reached only from the
// default handling, where FALSE means "let the dialog manager do its part".
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lparam);
    dialog->AttachWindow(window);
    const LONG_PTR original =
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogWindowProc));
    Bindings()[window] = {dialog, reinterpret_cast<WNDPROC>(original)};
    fw::win32::PassEnterToDialog(window);
    fw::win32::SkipIdleEditPaints(window);
    // TRUE lets the dialog manager put the focus on the first tab stop.
    return dialog->WindowProc(WM_INITDIALOG, wparam, 0);
}

}  // namespace

namespace fw {
namespace backend {

INT_PTR RunModalDialog(CDialog& dialog, int template_id, HWND parent) {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), parent,
                             &DialogProc, reinterpret_cast<LPARAM>(&dialog));
}

void EndDialog(HWND dialog, INT_PTR result) { ::EndDialog(dialog, result); }

LRESULT DefaultHandling(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto found = Bindings().find(window);
    if (found == Bindings().end()) return ::DefWindowProcA(window, message, wparam, lparam);
    return ::CallWindowProcA(found->second.original, window, message, wparam, lparam);
}

}  // namespace backend
}  // namespace fw
