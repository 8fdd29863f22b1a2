// The probe DLL of the window tests (see probe_protocol.h). Never linked into
// the program: the test driver hooks the program's thread with it.
#include <windows.h>

#include "res/resource.h"
#include "tests/window/probe/probe_protocol.h"

#include <shlobj.h>  // DROPFILES
#include <cstring>

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

HICON ApplicationIcon() {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

// Seen in the program's thread; that thread is the only writer.
IconPaintLog g_iconPaintLog = {};
HDC g_lastEraseDc = nullptr;

void NoteSentMessage(const CWPSTRUCT& message) {
    if (message.message != WM_ICONERASEBKGND) return;
    ++g_iconPaintLog.icon_erases;
    g_lastEraseDc = reinterpret_cast<HDC>(message.wParam);
    g_iconPaintLog.erase_had_paint_dc = g_lastEraseDc && GetObjectType(g_lastEraseDc) == OBJ_DC;
}

using DrawIconFunction = BOOL(WINAPI*)(HDC, int, int, HICON);
DrawIconFunction g_systemDrawIcon = nullptr;

BOOL WINAPI RecordingDrawIcon(HDC dc, int x, int y, HICON icon) {
    ++g_iconPaintLog.icons_drawn;
    g_iconPaintLog.drawn_at = {x, y};
    g_iconPaintLog.drew_application_icon = icon == ApplicationIcon();
    g_iconPaintLog.drew_on_erase_dc = dc == g_lastEraseDc;
    return g_systemDrawIcon(dc, x, y, icon);
}

// The slot of the program's import table through which it calls `function`
// of `dll`, or null.
ULONG_PTR* ImportSlot(HMODULE module, const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const DWORD names_at = entry->OriginalFirstThunk ? entry->OriginalFirstThunk
                                                         : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names_at);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* by_name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(by_name->Name), function) == 0)
                return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void WriteSlot(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Records the program's DrawIcon calls while `paint` runs; the import is
// given back before returning, so nothing of the probe stays in the program.
template <typename Paint>
IconPaintLog RecordIconPaint(ULONG_PTR* draw_icon_slot, Paint paint) {
    g_iconPaintLog = {};
    g_lastEraseDc = nullptr;
    if (draw_icon_slot) {
        g_systemDrawIcon = reinterpret_cast<DrawIconFunction>(*draw_icon_slot);
        WriteSlot(draw_icon_slot, reinterpret_cast<ULONG_PTR>(&RecordingDrawIcon));
    }
    paint();
    if (draw_icon_slot) WriteSlot(draw_icon_slot, reinterpret_cast<ULONG_PTR>(g_systemDrawIcon));
    const IconPaintLog log = g_iconPaintLog;
    g_iconPaintLog = {};
    return log;
}

void AnswerIconicPaint(HWND window, HWND reply_window) {
    IconicPaintReply reply = {};
    FillOrigin(&reply.origin);
    reply.iconic = IsIconic(window);
    GetClientRect(window, &reply.client);
    reply.icon_cx = GetSystemMetrics(SM_CXICON);
    reply.icon_cy = GetSystemMetrics(SM_CYICON);
    reply.unasked = g_iconPaintLog;

    ULONG_PTR* slot = ImportSlot(GetModuleHandleA(nullptr), "user32.dll", "DrawIcon");
    reply.draw_icon_taken = slot != nullptr;
    reply.redrawn = RecordIconPaint(slot, [&] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    });
    // A minimised window may have no client area to update, so its painting
    // is also asked for directly.
    if (reply.iconic)
        reply.sent_paint = RecordIconPaint(slot, [&] { SendMessageA(window, WM_PAINT, 0, 0); });
    SendReply(reply_window, kIconicPaint, reply);
}

void AnswerDragIcon(HWND window, HWND reply_window) {
    DragIconReply reply = {};
    FillOrigin(&reply.origin);
    const HICON answer = reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0));
    reply.answered = answer != nullptr;
    reply.is_application_icon = answer && answer == ApplicationIcon();
    reply.is_big_window_icon =
        answer && answer == reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    SendReply(reply_window, kDragIcon, reply);
}

void AnswerDropFiles(HWND window, HWND reply_window) {
    DropFilesReply reply = {};
    FillOrigin(&reply.origin);
    wchar_t path[MAX_PATH] = {};
    const int length = GetWindowTextW(reply_window, path, MAX_PATH);
    // DROPFILES, then the names, each ended by a NUL, and one more NUL.
    const SIZE_T size = sizeof(DROPFILES) + (static_cast<SIZE_T>(length) + 2) * sizeof(wchar_t);
    HGLOBAL drop = length > 0 ? GlobalAlloc(GHND, size) : nullptr;
    if (DROPFILES* files = drop ? static_cast<DROPFILES*>(GlobalLock(drop)) : nullptr) {
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path, static_cast<size_t>(length) * sizeof(wchar_t));
        GlobalUnlock(drop);
        reply.posted = PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        if (!reply.posted) GlobalFree(drop);
    }
    SendReply(reply_window, kDropFiles, reply);
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
        NoteSentMessage(*message);
        if (request && message->message == request) {
            const HWND reply_window = reinterpret_cast<HWND>(message->lParam);
            if (message->wParam == kSystemMenu) AnswerSystemMenu(message->hwnd, reply_window);
            if (message->wParam == kMessageBoxIcon)
                AnswerMessageBoxIcon(message->hwnd, reply_window);
            if (message->wParam == kIconicPaint) AnswerIconicPaint(message->hwnd, reply_window);
            if (message->wParam == kDragIcon) AnswerDragIcon(message->hwnd, reply_window);
            if (message->wParam == kDropFiles) AnswerDropFiles(message->hwnd, reply_window);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
