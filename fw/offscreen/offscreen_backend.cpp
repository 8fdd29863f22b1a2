// The offscreen backend: windows and controls that live in memory only.
// Dialogs are built from the same templates as the real ones (generated from
// the resource script), messages are dispatched to the dialog object, and
// message boxes return at once, recorded in order.
#include <cstdint>
#include <map>
#include <memory>

#include "codepage/multibyte_text.h"
#include "fw/backend.h"
#include "fw/dialog_template.h"
#include "fw/offscreen.h"

namespace {

constexpr DWORD kSysMenuStyle = 0x00080000L;  // WS_SYSMENU
constexpr WORD kSysCommandMask = 0xFFF0;
constexpr WPARAM kScClose = 0xF060;  // SC_CLOSE

// The offscreen dialog font's base units, in pixels per 4 horizontal and
// 8 vertical dialog units (those of a 9-point font at 96 dpi).
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 12;

struct Window {
    int id = 0;
    std::string class_name;
    std::string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    int check = BST_UNCHECKED;
    Window* parent = nullptr;
    std::vector<std::unique_ptr<Window>> children;

    // Dialog windows only.
    CWnd* object = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    bool topmost = false;
    bool iconic = false;
    int fades = 0;
    HICON icon_big = nullptr;
    HICON icon_small = nullptr;
    std::vector<std::string> system_menu;
    RECT client{0, 0, 0, 0};
};

struct State {
    std::map<Window*, std::unique_ptr<Window>> dialogs;
    std::vector<fw::offscreen::MessageBoxRecord> message_boxes;
    std::vector<int> modal_dialogs;
    std::vector<fw::offscreen::IconDraw> icon_draws;
};

State& state() {
    static State s;
    return s;
}

Window* AsWindow(HWND hwnd) { return reinterpret_cast<Window*>(hwnd); }
HWND AsHwnd(Window* window) { return reinterpret_cast<HWND>(window); }

Window* DialogOf(const CWnd& dialog) { return AsWindow(dialog.m_hWnd); }

Window* Control(const CWnd& dialog, int id) {
    return AsWindow(fw::backend::GetDlgItem(dialog.m_hWnd, id));
}

DWORD ButtonType(const Window& w) { return w.style & BS_TYPEMASK; }

bool IsRadio(const Window& w) {
    return w.class_name == "button" &&
           (ButtonType(w) == BS_AUTORADIOBUTTON || ButtonType(w) == BS_RADIOBUTTON);
}

// Checks `radio` and clears the other radio buttons of its group: the run of
// controls from the last WS_GROUP control at or before it to the next one.
void CheckRadioInGroup(Window& radio) {
    std::vector<std::unique_ptr<Window>>& siblings = radio.parent->children;
    size_t at = 0;
    while (siblings[at].get() != &radio) ++at;
    size_t first = at;
    while (first > 0 && !(siblings[first]->style & WS_GROUP)) --first;
    for (size_t i = first; i < siblings.size(); ++i) {
        if (i > first && (siblings[i]->style & WS_GROUP)) break;
        if (IsRadio(*siblings[i])) siblings[i]->check = BST_UNCHECKED;
    }
    radio.check = BST_CHECKED;
}

LRESULT ControlProc(Window& control, UINT message, WPARAM wparam) {
    switch (message) {
        case BM_GETCHECK:
            return control.check;
        case BM_SETCHECK:
            control.check = static_cast<int>(wparam);
            return 0;
        default:
            return 0;
    }
}

std::unique_ptr<Window> BuildDialog(const fw::DialogTemplate& tpl, CWnd& object) {
    std::unique_ptr<Window> dialog(new Window);
    dialog->id = tpl.id;
    dialog->class_name = "#32770";
    dialog->text = tpl.caption;
    dialog->style = tpl.style;
    dialog->ex_style = tpl.ex_style;
    dialog->object = &object;
    dialog->client = RECT{0, 0, tpl.cx * kBaseUnitX / 4, tpl.cy * kBaseUnitY / 8};
    for (int i = 0; i < tpl.control_count; ++i) {
        const fw::ControlTemplate& c = tpl.controls[i];
        std::unique_ptr<Window> control(new Window);
        control->id = c.id;
        control->class_name = c.class_name;
        control->text = c.text;
        control->style = c.style;
        control->ex_style = c.ex_style;
        control->parent = dialog.get();
        dialog->children.push_back(std::move(control));
    }
    return dialog;
}

}  // namespace

namespace fw {
namespace backend {

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* window = AsWindow(hwnd);
    if (!window) return 0;
    if (window->object) return window->object->WindowProc(message, wparam, lparam);
    return ControlProc(*window, message, wparam);
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* window = AsWindow(dialog);
    if (!window) return nullptr;
    for (const std::unique_ptr<Window>& child : window->children)
        if (child->id == id) return AsHwnd(child.get());
    return nullptr;
}

std::string GetWindowText(HWND hwnd) {
    Window* window = AsWindow(hwnd);
    return window ? window->text : std::string();
}

void SetWindowText(HWND hwnd, const char* text) {
    if (Window* window = AsWindow(hwnd)) window->text = text ? text : "";
}

int MessageBox(HWND, const char* text, const char* caption, UINT type) {
    state().message_boxes.push_back({text ? text : "", caption ? caption : "", type});
    return IDOK;
}

// The executable's name in the real program.
std::string ApplicationTitle() { return "Quobrix"; }

std::string LoadStringResource(UINT id) {
    const char* text = FindStringResource(id);
    return text ? text : "";
}

HICON LoadIconResource(int id) {
    // An opaque non-null handle that names the resource.
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(id));
}

INT_PTR RunModalDialog(CDialog& dialog, int template_id, HWND) {
    // No user sits at an offscreen modal loop: the dialog opens and is
    // cancelled at once, and the test reads the log.
    state().modal_dialogs.push_back(template_id);
    if (!offscreen::CreateDialogWindow(dialog)) return -1;
    offscreen::DestroyDialogWindow(dialog);
    return IDCANCEL;
}

// A child dialog lives in memory like a modal one, with its parent noted.
HWND CreateChildDialog(CDialog& dialog, int template_id, HWND parent) {
    const DialogTemplate* tpl = FindDialogTemplate(template_id);
    if (!tpl) return nullptr;
    std::unique_ptr<Window> window = BuildDialog(*tpl, dialog);
    Window* raw = window.get();
    raw->parent = AsWindow(parent);
    state().dialogs[raw] = std::move(window);
    dialog.AttachWindow(AsHwnd(raw));
    dialog.WindowProc(WM_INITDIALOG, 0, 0);
    return AsHwnd(raw);
}

void DestroyChildDialog(HWND hwnd) {
    Window* window = AsWindow(hwnd);
    if (!window) return;
    if (CDialog* dialog = dynamic_cast<CDialog*>(window->object)) dialog->DetachWindow();
    state().dialogs.erase(window);
}

void EndDialog(HWND hwnd, INT_PTR result) {
    if (Window* window = AsWindow(hwnd)) {
        window->ended = true;
        window->result = result;
    }
}

LRESULT DefaultHandling(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* window = AsWindow(hwnd);
    if (!window || !window->object) return 0;
    switch (message) {
        case WM_SETICON: {
            HICON& slot = wparam == ICON_BIG ? window->icon_big : window->icon_small;
            HICON previous = slot;
            slot = reinterpret_cast<HICON>(lparam);
            return reinterpret_cast<LRESULT>(previous);
        }
        case WM_CLOSE:
            // The dialog manager turns a close request into the cancel command.
            return window->object->WindowProc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        case WM_SYSCOMMAND:
            if ((wparam & kSysCommandMask) == kScClose)
                return window->object->WindowProc(WM_CLOSE, 0, 0);
            return 0;
        default:
            return 0;
    }
}

BOOL SetWindowPos(HWND hwnd, HWND insert_after, int, int, int, int, UINT) {
    Window* window = AsWindow(hwnd);
    if (!window) return FALSE;
    if (insert_after == HWND_TOPMOST) window->topmost = true;
    if (insert_after == HWND_NOTOPMOST) window->topmost = false;
    return TRUE;
}

BOOL AnimateWindow(HWND hwnd, DWORD, DWORD flags) {
    Window* window = AsWindow(hwnd);
    if (!window) return FALSE;
    const bool visible = (window->style & WS_VISIBLE) != 0;
    if ((flags & AW_HIDE) != 0) {
        if (!visible) return FALSE;  // already hidden: nothing to animate
        window->style &= ~static_cast<DWORD>(WS_VISIBLE);
        ++window->fades;
        return TRUE;
    }
    if (visible) return FALSE;
    window->style |= WS_VISIBLE;
    return TRUE;
}

HMENU GetSystemMenu(HWND hwnd, BOOL) {
    Window* window = AsWindow(hwnd);
    if (!window || !(window->style & kSysMenuStyle)) return nullptr;
    return reinterpret_cast<HMENU>(window);
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR, const char* text) {
    Window* window = reinterpret_cast<Window*>(menu);
    if (!window) return FALSE;
    window->system_menu.push_back((flags & MF_SEPARATOR) ? std::string("-")
                                                         : std::string(text ? text : ""));
    return TRUE;
}

BOOL IsIconic(HWND hwnd) {
    Window* window = AsWindow(hwnd);
    return window && window->iconic ? TRUE : FALSE;
}

void GetClientRect(HWND hwnd, RECT* rect) {
    Window* window = AsWindow(hwnd);
    *rect = window ? window->client : RECT{0, 0, 0, 0};
}

int GetSystemMetrics(int index) {
    // The standard icon size.
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Window* window = AsWindow(hwnd);
    *paint = PAINTSTRUCT();
    paint->hdc = reinterpret_cast<HDC>(hwnd);
    paint->rcPaint = window ? window->client : RECT{0, 0, 0, 0};
    return paint->hdc;
}

void EndPaint(HWND, const PAINTSTRUCT*) {}

BOOL DrawIcon(HDC, int x, int y, HICON icon) {
    state().icon_draws.push_back({x, y, icon});
    return TRUE;
}

// In-memory windows hold the program's own GBK texts, whatever the host's locale.
UINT AnsiCodePage() { return kGbkCodePageId; }
bool SingleByteCaseMaps(unsigned char[256], unsigned char[256]) { return false; }

}  // namespace backend

namespace offscreen {

bool CreateDialogWindow(CDialog& dialog) {
    const DialogTemplate* tpl = FindDialogTemplate(static_cast<int>(dialog.TemplateId()));
    if (!tpl) return false;
    std::unique_ptr<Window> window = BuildDialog(*tpl, dialog);
    Window* raw = window.get();
    state().dialogs[raw] = std::move(window);
    dialog.AttachWindow(AsHwnd(raw));
    dialog.WindowProc(WM_INITDIALOG, 0, 0);
    return true;
}

void DestroyDialogWindow(CDialog& dialog) {
    Window* window = DialogOf(dialog);
    dialog.DetachWindow();
    state().dialogs.erase(window);
}

void SetText(CWnd& dialog, int id, const std::string& gbk_text) {
    if (Window* control = Control(dialog, id)) control->text = gbk_text;
}

std::string GetText(CWnd& dialog, int id) {
    Window* control = Control(dialog, id);
    return control ? control->text : std::string();
}

void Click(CWnd& dialog, int id) {
    Window* control = Control(dialog, id);
    if (!control || (control->style & WS_DISABLED) || control->class_name != "button") return;
    if (ButtonType(*control) == BS_AUTOCHECKBOX)
        control->check = control->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    else if (ButtonType(*control) == BS_AUTORADIOBUTTON)
        CheckRadioInGroup(*control);
    dialog.WindowProc(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(AsHwnd(control)));
}

bool IsChecked(CWnd& dialog, int id) {
    Window* control = Control(dialog, id);
    return control && control->check == BST_CHECKED;
}

bool IsEnabled(CWnd& dialog, int id) {
    Window* control = Control(dialog, id);
    return control && !(control->style & WS_DISABLED);
}

LRESULT Send(CWnd& dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return backend::SendMessage(dialog.m_hWnd, message, wparam, lparam);
}

bool IsEnded(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window && window->ended;
}

INT_PTR EndResult(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window ? window->result : 0;
}

std::vector<MessageBoxRecord> TakeMessageBoxes() {
    std::vector<MessageBoxRecord> taken;
    taken.swap(state().message_boxes);
    return taken;
}

std::vector<int> TakeModalDialogs() {
    std::vector<int> taken;
    taken.swap(state().modal_dialogs);
    return taken;
}

bool IsTopmost(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window && window->topmost;
}

bool IsVisible(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window && (window->style & WS_VISIBLE);
}

int FadeCount(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window ? window->fades : 0;
}

HICON Icon(const CWnd& dialog, bool big) {
    Window* window = DialogOf(dialog);
    if (!window) return nullptr;
    return big ? window->icon_big : window->icon_small;
}

std::vector<std::string> SystemMenuItems(const CWnd& dialog) {
    Window* window = DialogOf(dialog);
    return window ? window->system_menu : std::vector<std::string>();
}

void SetIconic(CWnd& dialog, bool iconic) {
    if (Window* window = DialogOf(dialog)) window->iconic = iconic;
}

void SetClientSize(CWnd& dialog, int width, int height) {
    if (Window* window = DialogOf(dialog)) window->client = RECT{0, 0, width, height};
}

std::vector<IconDraw> TakeIconDraws() {
    std::vector<IconDraw> taken;
    taken.swap(state().icon_draws);
    return taken;
}

}  // namespace offscreen
}  // namespace fw
