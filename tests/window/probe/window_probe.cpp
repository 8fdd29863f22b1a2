// The probe DLL of the window tests (see probe_protocol.h). Never linked into
// the program: the test driver hooks the program's thread with it.
#include <windows.h>

#include "tests/window/probe/probe_protocol.h"

namespace window_probe {
namespace {

constexpr DWORD kReplyTimeoutMs = 20000;

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

void FillOrigin(Origin* origin) {
    origin->process_id = GetCurrentProcessId();
    GetModuleFileNameA(ThisModule(), origin->module_path, sizeof origin->module_path);
}

template <typename Reply>
void SendReply(HWND reply_window, Query query, const Reply& reply) {
    COPYDATASTRUCT data = {};
    data.dwData = query;
    data.cbData = sizeof reply;
    data.lpData = const_cast<Reply*>(&reply);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(reply_window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG, kReplyTimeoutMs, &ignored);
}

void AnswerSystemMenu(HWND window, HWND reply_window) {
    SystemMenuReply reply = {};
    FillOrigin(&reply.origin);
    const HMENU menu = GetSystemMenu(window, FALSE);
    reply.item_count = menu ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < reply.item_count && i < kMaxMenuItems; ++i) {
        MenuItem& item = reply.items[i];
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = item.text;
        info.cch = sizeof item.text;
        if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
            item.type = info.fType;
            item.id = info.wID;
        }
    }
    SendReply(reply_window, kSystemMenu, reply);
}

StandardIcon Identify(HICON icon) {
    if (!icon) return StandardIcon::kNone;
    const struct {
        LPCSTR resource;
        StandardIcon name;
    } standard[] = {{IDI_HAND, StandardIcon::kHand},
                    {IDI_QUESTION, StandardIcon::kQuestion},
                    {IDI_EXCLAMATION, StandardIcon::kExclamation},
                    {IDI_ASTERISK, StandardIcon::kAsterisk}};
    for (const auto& s : standard)
        if (LoadIconA(nullptr, s.resource) == icon) return s.name;
    return StandardIcon::kOther;
}

void AnswerMessageBoxIcon(HWND box, HWND reply_window) {
    MessageBoxReply reply = {};
    FillOrigin(&reply.origin);
    reply.icon = StandardIcon::kNone;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        char class_name[16] = {};
        GetClassNameA(child, class_name, sizeof class_name);
        if (lstrcmpiA(class_name, "Static") != 0 || (style & SS_TYPEMASK) != SS_ICON ||
            !(style & WS_VISIBLE))
            continue;
        if (reply.icon_statics++ == 0)
            reply.icon = Identify(reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)));
    }
    SendReply(reply_window, kMessageBoxIcon, reply);
}

}  // namespace
}  // namespace window_probe

// Runs in the hooked thread before each sent message reaches its window.
extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wparam,
                                                                   LPARAM lparam) {
    using namespace window_probe;
    static const UINT request = RegisterWindowMessageA(kRequestMessageName);
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (request && message->message == request) {
            const HWND reply_window = reinterpret_cast<HWND>(message->lParam);
            if (message->wParam == kSystemMenu) AnswerSystemMenu(message->hwnd, reply_window);
            if (message->wParam == kMessageBoxIcon)
                AnswerMessageBoxIcon(message->hwnd, reply_window);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
