#include "workbench_window/views/page_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include <cwchar>

#include "fw/win32/controls.h"

namespace {

bool IsListView(HWND window) {
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    return _wcsicmp(name, WC_LISTVIEWW) == 0;
}

// The list's menu's commands, as TrackPopupMenu returns them.
enum ListCommand : UINT { kListCopy = 1, kListSelectAll = 2 };

}  // namespace

BOOL CPageView::OnInitDialog() {
    CDialog::OnInitDialog();
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        ::GetClassNameW(child, name, 16);
        if (_wcsicmp(name, L"Edit") == 0 && (::GetWindowLongW(child, GWL_STYLE) & ES_MULTILINE)) {
            ::SendMessageW(child, EM_SETLIMITTEXT, kInputLimit, 0);
        }
    }
    return FALSE;  // the window sets the focus
}

BOOL CPageView::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (HIWORD(wparam) == EN_MAXTEXT) {
        SetText(StatusId(), "输入超过 " + std::to_string(kInputLimit) + " 个字符，多出的部分没有收下");
        return TRUE;
    }
    return CDialog::OnCommand(wparam, lparam);
}

LRESULT CPageView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            break;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->code == LVN_KEYDOWN && IsListView(header->hwndFrom) && ::GetKeyState(VK_CONTROL) < 0) {
                const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lparam)->wVKey;
                if (key == 'C' || key == VK_INSERT) CopyRows(header->hwndFrom);
                if (key == 'A') CListCtrl(header->hwndFrom).SelectAll();
            }
            break;
        }
        case WM_CONTEXTMENU: {
            HWND list = reinterpret_cast<HWND>(wparam);
            if (::GetParent(list) == m_hWnd && IsListView(list)) {
                ListMenu(list, lparam);
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CDialog::WindowProc(message, wparam, lparam);
}

// Every list of every page copies alike: the selected rows, whole, as
// Unicode; nothing selected leaves the clipboard as it was.
void CPageView::CopyRows(HWND list) {
    const std::string rows = CListCtrl(list).SelectedRowsText();
    if (!rows.empty()) AfxSetClipboardText(m_hWnd, rows);
}

// At the mouse, or, from the keyboard (Shift+F10, the menu key), at the
// selected row or the list's corner.
void CPageView::ListMenu(HWND list, LPARAM at) {
    POINT point = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        const LRESULT selected = ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        point = {0, 0};
        if (selected >= 0 && ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&row))) {
            point = {row.left, row.bottom};
        }
        ::ClientToScreen(list, &point);
    }
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    const bool any = ::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    ::AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kListCopy, AfxUtf8ToWide("复制(&C)\tCtrl+C").c_str());
    ::AppendMenuW(menu, MF_STRING, kListSelectAll, AfxUtf8ToWide("全选(&A)\tCtrl+A").c_str());
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x, point.y, 0, m_hWnd, nullptr));
    ::DestroyMenu(menu);
    if (chosen == kListCopy) CopyRows(list);
    if (chosen == kListSelectAll) CListCtrl(list).SelectAll();
}

void CPageView::FollowSize(std::initializer_list<AnchorRule> rules) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    start_client_ = {client.right, client.bottom};
    for (const AnchorRule& rule : rules) {
        HWND control = Item(rule.id);
        if (!control) continue;
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        anchors_.push_back({control, rect, rule.flags});
    }
}

void CPageView::Layout() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (client.right == 0 || client.bottom == 0 || anchors_.empty()) return;  // minimised, or not yet noted
    const int dx = client.right - start_client_.cx, dy = client.bottom - start_client_.cy;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(anchors_.size()));
    for (const Anchor& anchor : anchors_) {
        RECT r = anchor.start;
        if (anchor.flags & kMoveX) OffsetRect(&r, dx, 0);
        if (anchor.flags & kMoveY) OffsetRect(&r, 0, dy);
        if (anchor.flags & kStretchX) r.right += dx;
        if (anchor.flags & kStretchY) r.bottom += dy;
        if (positions) {
            positions = ::DeferWindowPos(positions, anchor.control, nullptr, r.left, r.top, r.right - r.left,
                                         r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (positions) ::EndDeferWindowPos(positions);
}

void CPageView::OnOK() { ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, IDOK, 0); }

void CPageView::OnCancel() { ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, IDCANCEL, 0); }

// As UTF-16, the controls' own text: the ANSI code page (GBK) has no form
// for much that a user types or a file is named (한글, ü, 😀), and would
// give '?' for it.
std::string CPageView::Text(int id) const {
    HWND control = Item(id);
    if (!control) return std::string();
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    return AfxWideToUtf8(text);
}

void CPageView::SetText(int id, const std::string& utf8) {
    if (HWND control = Item(id)) ::SetWindowTextW(control, AfxUtf8ToWide(utf8).c_str());
}

bool CPageView::IsChecked(int id) const {
    CWnd* control = GetDlgItem(id);
    return control && control->SendMessage(BM_GETCHECK) == BST_CHECKED;
}

void CPageView::Check(int id, bool checked) {
    if (CWnd* control = GetDlgItem(id)) control->SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

int CPageView::FocusedId() const {
    HWND focus = ::GetFocus();
    while (focus && ::GetParent(focus) != m_hWnd) focus = ::GetParent(focus);
    return focus ? ::GetDlgCtrlID(focus) : 0;
}

// Through the window's dialog manager, which keeps the default button's
// look in step with the focus.
void CPageView::WorkStarted(int cancel_id) {
    HWND focus = ::GetFocus();
    focus_before_work_ = nullptr;
    if (!focus || !::IsChild(m_hWnd, focus)) return;
    focus_before_work_ = focus;
    ::SendMessageW(::GetParent(m_hWnd), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(cancel_id)), TRUE);
}

// Called while 取消 is still enabled: the focus leaves it before it is
// disabled.
void CPageView::WorkEnded(int cancel_id, int fallback_id) {
    HWND before = focus_before_work_;
    focus_before_work_ = nullptr;
    if (::GetFocus() != Item(cancel_id)) return;
    HWND to = before && ::IsWindowEnabled(before) ? before : Item(fallback_id);
    ::SendMessageW(::GetParent(m_hWnd), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
}

std::string JoinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}
