#include "workbench_window/views/page_view.h"

#include <cwchar>

#include "fw/win32/controls.h"

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
    if (message == WM_SIZE) Layout();
    return CDialog::WindowProc(message, wparam, lparam);
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
