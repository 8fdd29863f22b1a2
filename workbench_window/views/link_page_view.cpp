#include "workbench_window/views/link_page_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include "fw/win32/controls.h"

namespace {

// Posted by the worker when its word on the link changed.
constexpr UINT kStatusMessage = WM_APP + 40;

}  // namespace

void CLinkPageView::RunEnter() {
    if (worker_.Running()) {
        ActOnLink();
    } else {
        OpenLink();
    }
}

void CLinkPageView::StopWork() { worker_.Stop(); }

bool CLinkPageView::CancelWork() {
    if (!worker_.Running()) return false;
    worker_.Cancel();
    return true;
}

void CLinkPageView::PageShown() {
    if (ports_listed_) return;
    ports_listed_ = true;
    ListPorts();
}

LRESULT CLinkPageView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case kStatusMessage:
            // A word that comes after the end is not the link's any more.
            if (worker_.Running()) SetText(StatusId(), Word());
            return 0;
        case PageWorker::kDoneMessage:
            if (!worker_.Finish()) return 0;
            TakeEvents();
            SetText(StatusId(), Word());
            LinkEnded();
            EnableForState();
            return 0;
        default:
            break;
    }
    return CPageView::WindowProc(message, wparam, lparam);
}

void CLinkPageView::PostStatus(const std::string& status) {
    SetLastWord(status);
    ::PostMessageW(m_hWnd, kStatusMessage, 0, 0);
}

void CLinkPageView::SetLastWord(const std::string& status) {
    std::lock_guard<std::mutex> lock(status_mutex_);
    status_ = status;
}

std::string CLinkPageView::Word() {
    std::lock_guard<std::mutex> lock(status_mutex_);
    return status_;
}

long long MsOfDay() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return ((now.wHour * 60LL + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

void AddWideString(HWND combo, const std::string& utf8) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AfxUtf8ToWide(utf8).c_str()));
}

int Selection(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void SetCell(HWND list, int row, int column, const std::string& utf8, bool insert) {
    std::wstring text = AfxUtf8ToWide(utf8);
    LVITEMW item = {};
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = &text[0];
    item.mask = LVIF_TEXT;
    if (column == 0 && insert) {
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

int TextWidth(HWND list, const std::string& utf8) {
    const std::wstring text = AfxUtf8ToWide(utf8);
    return static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
