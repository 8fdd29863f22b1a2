#include "workbench_window/workbench_window.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "fw/win32/controls.h"
#include "workbench_window/views/array_view.h"
#include "workbench_window/views/crc_view.h"
#include "workbench_window/views/filter_view.h"
#include "workbench_window/views/find_view.h"
#include "workbench_window/views/frame_view.h"
#include "workbench_window/views/modbus_view.h"
#include "workbench_window/views/number_view.h"
#include "workbench_window/views/parts_view.h"
#include "workbench_window/views/printf_view.h"
#include "workbench_window/views/random_view.h"
#include "workbench_window/views/serial_view.h"
#include "workbench_window/window_text.h"

namespace {

// The pages, in the order of their tabs: the tab's title and the page's
// view, which works through its presenter in pages/ (named beside it).
struct PageRow {
    const char* title;
    std::unique_ptr<CPageView> (*make)(CWorkbenchWindow& host);
};

template <class View>
std::unique_ptr<CPageView> Make(CWorkbenchWindow& host) {
    return std::unique_ptr<CPageView>(new View(host));
}

const PageRow kPageTable[] = {
    {"CRC 计算", &Make<CCrcView>},        // crc_page
    {"校验识别", &Make<CFindView>},       // find_page
    {"帧", &Make<CFrameView>},            // frame_page
    {"数值", &Make<CNumberView>},         // number_page
    {"文件->数组", &Make<CArrayView>},    // command_pages: ArrayWords
    {"元件值选型", &Make<CPartsView>},    // command_pages: PartsWords
    {"滤波器选型", &Make<CFilterView>},   // command_pages: FilterDesignWords
    {"Printf函数", &Make<CPrintfView>},   // command_pages: Format
    {"随机数集合", &Make<CRandomView>},   // command_pages: RandomWords
    {"串口助手", &Make<CSerialView>},     // serial_page
    {"Modbus", &Make<CModbusView>},       // modbus_page
};
constexpr int kPageCount = static_cast<int>(sizeof kPageTable / sizeof kPageTable[0]);
static_assert(kPageCount == settings::kPages, "the settings file keeps a page of the table");
// The page that takes a dropped file when the page shown takes none.
constexpr int kFilePage = 0;

// Where the pages begin, in dialog units: a multiple of 8, so that a page's
// control lands on the very pixel it would have as the window's own.
constexpr int kPageTopUnits = 16;

CWorkbenchWindow* g_window = nullptr;
HHOOK g_key_hook = nullptr;

// The modal loop offers every message to this filter before the dialog
// manager, which would take Ctrl+Tab for a plain Tab, and Esc for the close
// of the window.
LRESULT CALLBACK KeyFilter(int code, WPARAM wparam, LPARAM lparam) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && g_window) {
        if (msg->wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0 &&
            g_window->SwitchPageKey(::GetKeyState(VK_SHIFT) < 0)) {
            return TRUE;
        }
        if (msg->wParam == VK_ESCAPE && g_window->CancelKey()) return TRUE;
    }
    return ::CallNextHookEx(g_key_hook, code, wparam, lparam);
}

// The whole of a small file (the settings), or false.
bool ReadSmallFile(const std::string& path, std::string& text) {
    FILE* file = _wfopen(AfxUtf8ToWide(path).c_str(), L"rb");
    if (!file) return false;
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0 && text.size() < (1u << 16)) text.append(block, n);
    std::fclose(file);
    return true;
}

}  // namespace

CWorkbenchWindow::CWorkbenchWindow() : CDialog(IDD) { g_window = this; }

CWorkbenchWindow::~CWorkbenchWindow() {
    if (g_window == this) g_window = nullptr;
}

BOOL CWorkbenchWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    icon_ = AfxLoadIcon(IDR_WORKBENCH_ICON);
    SetIcon(icon_, TRUE);
    SetIcon(icon_, FALSE);
    AfxAcceptDroppedFiles(m_hWnd);
    g_key_hook = ::SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, ::GetCurrentThreadId());

    // The template's size is the least the pages need.
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    min_size_ = {window.right - window.left, window.bottom - window.top};
    start_client_ = {client.right, client.bottom};
    HWND tabs_window = ::GetDlgItem(m_hWnd, IDC_WB_TABS);
    ::GetWindowRect(tabs_window, &tabs_start_);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tabs_start_), 2);
    RECT top = {0, kPageTopUnits, 0, kPageTopUnits};
    ::MapDialogRect(m_hWnd, &top);
    page_top_ = top.top;

    // A page's window is made when its tab is first shown, as property
    // sheets make theirs: the window starts with one page's controls, not
    // every page's lists and choices that the user may never open.
    CTabCtrl tabs(tabs_window);
    for (int i = 0; i < kPageCount; ++i) {
        tabs.InsertItem(i, AfxUtf8ToGbk(kPageTable[i].title).c_str());
        views_.push_back(kPageTable[i].make(*this));
    }

    LoadSettings();
    ShowPage(settings_.page);
    if (settings_.placement.known) {
        // A place off every screen (a monitor since unplugged) is no place.
        const settings::Placement& p = settings_.placement;
        RECT wanted = {p.x, p.y, p.x + p.width, p.y + p.height};
        if (::MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL)) {
            ::SetWindowPos(m_hWnd, nullptr, p.x, p.y, std::max<int>(p.width, min_size_.cx),
                           std::max<int>(p.height, min_size_.cy), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    Layout();
    ::SetFocus(tabs_window);
    return FALSE;  // the focus is set
}

void CWorkbenchWindow::LoadSettings() {
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) {
        ini_path_ = AfxWideToUtf8(folder) + "\\Quobrix\\workbench.ini";
    }
    std::string text;
    if (!ini_path_.empty() && ReadSmallFile(ini_path_, text)) settings_ = settings::Parse(text);
    // Each page takes its section when its window is made.
}

// A settings file that cannot be written is no reason to keep the window.
void CWorkbenchWindow::SaveSettings() {
    if (ini_path_.empty()) return;
    settings_.page = page_;
    // A page never shown keeps the section it was given.
    for (const std::unique_ptr<CPageView>& view : views_) {
        if (view->m_hWnd) view->SaveSettings(settings_);
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        settings_.placement = {true, r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    const std::string folder = ini_path_.substr(0, ini_path_.rfind('\\'));
    ::CreateDirectoryW(AfxUtf8ToWide(folder).c_str(), nullptr);
    WriteSmallFile(ini_path_, settings::Format(settings_));
}

CPageView& CWorkbenchWindow::MadePage(int page) {
    CPageView& view = *views_[static_cast<size_t>(page)];
    if (view.m_hWnd) return view;
    view.Create(this);
    // Found by its template's id among the window's children.
    ::SetWindowLongPtrW(view.m_hWnd, GWLP_ID, static_cast<LONG_PTR>(view.TemplateId()));
    view.LoadSettings(settings_);
    Layout();  // the new page below the tabs, as the others
    return view;
}

void CWorkbenchWindow::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) page = 0;
    HWND focus = ::GetFocus();
    const bool focus_hidden = page != page_ && focus && ::IsChild(views_[static_cast<size_t>(page_)]->m_hWnd, focus);
    page_ = page;
    // One repaint for the whole switch. (Turning drawing off hides the window
    // from IsWindowVisible, and turning it on shows it: only for a shown
    // window.)
    const bool repaint_once = ::IsWindowVisible(m_hWnd) != FALSE;
    if (repaint_once) ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
    MadePage(page);
    for (int p = 0; p < kPageCount; ++p) {
        HWND view = views_[static_cast<size_t>(p)]->m_hWnd;
        if (!view) continue;
        const bool show = p == page;
        const bool shown = (::GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE) != 0;
        if (shown != show) {
            ::ShowWindow(view, show ? SW_SHOWNA : SW_HIDE);
            if (show) views_[static_cast<size_t>(p)]->PageShown();
        }
    }
    CTabCtrl tabs(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    if (repaint_once) {
        ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        // The whole client area, the tabs' row with it: turning drawing off
        // validated the window and its children, and with them the tab
        // control's own repaint of the tab a click has just selected. Painted
        // now, in one pass: left to the message loop, each control's WM_PAINT
        // waited its turn behind a round of the loop.
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (tabs.GetCurSel() != page) tabs.SetCurSel(page);
    if (focus_hidden) ::SetFocus(tabs.m_hWnd);
}

bool CWorkbenchWindow::SwitchPageKey(bool backwards) {
    ShowPage((page_ + (backwards ? kPageCount - 1 : 1)) % kPageCount);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    return true;
}

bool CWorkbenchWindow::CancelKey() { return views_[static_cast<size_t>(page_)]->CancelWork(); }

// The page of the view of type View, and the view; -1 and null when none.
template <class View>
static View* FindView(const std::vector<std::unique_ptr<CPageView>>& views, int& page) {
    for (page = 0; page < static_cast<int>(views.size()); ++page) {
        if (View* view = dynamic_cast<View*>(views[static_cast<size_t>(page)].get())) return view;
    }
    page = -1;
    return nullptr;
}

void CWorkbenchWindow::OpenInFramePage(const frame_page::Form& form, bool verify) {
    int page = -1;
    if (CFrameView* frame = FindView<CFrameView>(views_, page)) {
        MadePage(page);
        if (verify) {
            frame->VerifyForm(form);
        } else {
            frame->ShowForm(form);
        }
        ShowPage(page);
    }
}

void CWorkbenchWindow::OpenInFindPage(const std::string& frames) {
    int page = -1;
    if (CFindView* find = FindView<CFindView>(views_, page)) {
        MadePage(page);
        find->ShowFrames(frames);
        ShowPage(page);
    }
}

void CWorkbenchWindow::OpenInNumberPage(const std::string& hex) {
    int page = -1;
    if (CNumberView* number = FindView<CNumberView>(views_, page)) {
        MadePage(page);
        number->ShowBytes(hex);
        ShowPage(page);
    }
}

// The tabs widen with the window; the pages fill what is below them.
void CWorkbenchWindow::Layout() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (client.right == 0 || client.bottom == 0) return;  // minimised
    HDWP positions = ::BeginDeferWindowPos(kPageCount + 1);
    RECT tabs = tabs_start_;
    tabs.right += client.right - start_client_.cx;
    if (positions) {
        positions = ::DeferWindowPos(positions, ::GetDlgItem(m_hWnd, IDC_WB_TABS), nullptr, tabs.left, tabs.top,
                                     tabs.right - tabs.left, tabs.bottom - tabs.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const std::unique_ptr<CPageView>& view : views_) {
        if (positions && view->m_hWnd) {
            positions = ::DeferWindowPos(positions, view->m_hWnd, nullptr, 0, page_top_, client.right,
                                         client.bottom - page_top_, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (positions) ::EndDeferWindowPos(positions);
}

LRESULT CWorkbenchWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            break;
        case WM_GETMINMAXINFO: {
            MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lparam);
            if (min_size_.cx > 0) info->ptMinTrackSize = {min_size_.cx, min_size_.cy};
            return 0;
        }
        case WM_DROPFILES: {
            // To the page shown, or to the one that takes any file.
            const CDroppedFiles dropped(wparam);
            if (!dropped.Paths().empty() && !views_[static_cast<size_t>(page_)]->OpenDroppedFile(dropped.Paths().front())) {
                ShowPage(kFilePage);
                views_[kFilePage]->OpenDroppedFile(dropped.Paths().front());
            }
            return 0;
        }
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_WB_TABS && header->code == TCN_SELCHANGE) {
                ShowPage(CTabCtrl(header->hwndFrom).GetCurSel());
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CDialog::WindowProc(message, wparam, lparam);
}

// Enter: the page shown decides.
void CWorkbenchWindow::OnOK() {
    if (!views_.empty()) views_[static_cast<size_t>(page_)]->RunEnter();
}

// Esc and the close button: work still running is cancelled and waited for,
// then the settings are kept and the window ends.
void CWorkbenchWindow::OnCancel() {
    for (const std::unique_ptr<CPageView>& view : views_) {
        if (view->m_hWnd) view->StopWork();
    }
    SaveSettings();
    if (g_key_hook) {
        ::UnhookWindowsHookEx(g_key_hook);
        g_key_hook = nullptr;
    }
    EndDialog(IDCANCEL);
}
