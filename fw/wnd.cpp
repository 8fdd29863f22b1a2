// CWnd, CMenu and the data exchange: thin calls into the backend plus the
// message dispatch through the message maps.
#include "fw/afxwin.h"
#include "fw/backend.h"

const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() = default;

LRESULT CWnd::SendMessage(UINT message, WPARAM wparam, LPARAM lparam) const {
    return fw::backend::SendMessage(m_hWnd, message, wparam, lparam);
}

CWnd* CWnd::GetDlgItem(int id) const {
    HWND child = fw::backend::GetDlgItem(m_hWnd, id);
    if (!child) return nullptr;
    std::unique_ptr<CWnd>& slot = children_[id];
    if (!slot || slot->m_hWnd != child) slot.reset(new CWnd(child));
    return slot.get();
}

void CWnd::SetWindowText(const char* text) { fw::backend::SetWindowText(m_hWnd, text); }

void CWnd::GetWindowText(CString& text) const {
    text = CString(fw::backend::GetWindowText(m_hWnd));
}

BOOL CWnd::SetWindowPos(const CWnd* insert_after, int x, int y, int cx, int cy, UINT flags) {
    return fw::backend::SetWindowPos(m_hWnd, insert_after ? insert_after->m_hWnd : nullptr, x, y,
                                     cx, cy, flags);
}

BOOL CWnd::AnimateWindow(DWORD time_ms, DWORD flags) {
    return fw::backend::AnimateWindow(m_hWnd, time_ms, flags);
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
    HMENU menu = fw::backend::GetSystemMenu(m_hWnd, revert);
    if (!menu) return nullptr;
    if (!system_menu_) system_menu_.reset(new CMenu);
    system_menu_->m_hMenu = menu;
    return system_menu_.get();
}

BOOL CWnd::IsIconic() const { return fw::backend::IsIconic(m_hWnd); }

void CWnd::GetClientRect(RECT* rect) const { fw::backend::GetClientRect(m_hWnd, rect); }

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::UpdateData(BOOL save_and_validate) {
    CDataExchange dx(this, save_and_validate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    // Handlers may re-enter (a message box pumps messages), so the message
    // that Default() refers to is saved and restored around each dispatch.
    const CurrentMessage outer = current_;
    current_ = {message, wparam, lparam};
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wparam, lparam)) result = DefWindowProc(message, wparam, lparam);
    } else if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, wparam)) {
        result = entry->pfn(this, wparam, lparam);
    } else {
        result = DefWindowProc(message, wparam, lparam);
    }
    current_ = outer;
    return result;
}

BOOL CWnd::OnCommand(WPARAM wparam, LPARAM lparam) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, wparam);
    if (!entry) return FALSE;
    entry->pfn(this, wparam, lparam);
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return fw::backend::DefaultHandling(m_hWnd, message, wparam, lparam);
}

LRESULT CWnd::Default() { return DefWindowProc(current_.message, current_.wparam, current_.lparam); }

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    return fw::backend::AppendMenu(m_hMenu, flags, id, text);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = fw::backend::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (!control) return;
    if (dx->m_bSaveAndValidate)
        value = CString(fw::backend::GetWindowText(control));
    else
        fw::backend::SetWindowText(control, value);
}
