#include "workbench_window/workbench_window.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/output_file.h"
#include "fw/win32/controls.h"
#include "workbench_window/pages/frame_page.h"
#include "workbench_window/pages/number_page.h"
#include "workbench_window/window_text.h"

namespace {

// The progress bar counts thousandths: a large file's bar moves every few
// megabytes, not every few hundred.
constexpr int kProgressEnd = 1000;
// But no more often than this: each move is a message and a repaint on the
// window's thread, which a fast read would otherwise keep busy a thousand
// times a second, slowing the read and the answer to the user's clicks.
constexpr std::chrono::milliseconds kProgressInterval{40};

// The worker's reports: how far it has read (thousandths in wparam), and that it
// has ended; posted, never sent, so that the window can wait for the worker.
constexpr UINT kFileProgress = WM_APP + 1;
constexpr UINT kFileDone = WM_APP + 2;
// The search's: a note before a long recovery, and its end.
constexpr UINT kFindNote = WM_APP + 3;
constexpr UINT kFindDone = WM_APP + 4;

const char* const kPageNames[settings::kPages] = {"CRC 计算", "校验识别", "帧", "数值", "文件->数组",
                                                 "元件值选型", "滤波器选型", "Printf函数", "随机数集合"};

struct PageControls {
    int first, last, first_label;
};
const PageControls kPages[settings::kPages] = {
    {IDC_CRC_FIRST, IDC_CRC_LAST, IDC_CRC_LABEL_FIRST},
    {IDC_FIND_FIRST, IDC_FIND_LAST, IDC_FIND_LABEL_FIRST},
    {IDC_FRAME_FIRST, IDC_FRAME_LAST, IDC_FRAME_LABEL_FIRST},
    {IDC_NUM_FIRST, IDC_NUM_LAST, IDC_NUM_LABEL_FIRST},
    {IDC_ARR_FIRST, IDC_ARR_LAST, IDC_ARR_LABEL_FIRST},
    {IDC_PARTS_FIRST, IDC_PARTS_LAST, IDC_PARTS_LABEL_FIRST},
    {IDC_FLT_FIRST, IDC_FLT_LAST, IDC_FLT_LABEL_FIRST},
    {IDC_PF_FIRST, IDC_PF_LAST, IDC_PF_LABEL_FIRST},
    {IDC_RND_FIRST, IDC_RND_LAST, IDC_RND_LABEL_FIRST},
};

// How a control follows the window's size: wider and taller with it, or
// moved right or down by as much as it grew.
enum : unsigned { kStretchX = 1, kStretchY = 2, kMoveX = 4, kMoveY = 8 };
struct AnchorRule {
    int id;
    unsigned flags;
};
const AnchorRule kAnchorRules[] = {
    {IDC_WB_TABS, kStretchX},
    {IDC_CRC_MODEL_NOTE, kStretchX},
    {IDC_CRC_PARAM_MSG, kStretchX},
    {IDC_CRC_INPUT, kStretchX},
    {IDC_CRC_FILE, kStretchX},
    {IDC_CRC_BROWSE, kMoveX},
    {IDC_CRC_PROGRESS, kStretchX},
    {IDC_CRC_CANCEL, kMoveX},
    {IDC_CRC_STATUS, kStretchX},
    {IDC_CRC_LIST, kStretchX | kStretchY},
    {IDC_FIND_FRAMES, kStretchX},
    {IDC_FIND_LIST, kStretchX | kStretchY},
    {IDC_FIND_NOTES, kStretchX | kMoveY},
    {IDC_FRAME_DATA, kStretchX},
    {IDC_FRAME_RESULT, kStretchX},
    {IDC_FRAME_NOTES, kStretchX | kStretchY},
    {IDC_NUM_LIST, kStretchX},
    {IDC_NUM_BYTES_LIST, kStretchX | kStretchY},
    {IDC_NUM_MSG, kStretchX | kMoveY},
    {IDC_ARR_FILE, kStretchX},
    {IDC_ARR_BROWSE, kMoveX},
    {IDC_ARR_INPUT, kStretchX},
    {IDC_ARR_COMMAND, kStretchX},
    {IDC_ARR_RESULT, kStretchX | kStretchY},
    {IDC_ARR_STATUS, kStretchX | kMoveY},
    {IDC_PARTS_COMMAND, kStretchX},
    {IDC_PARTS_RESULT, kStretchX | kStretchY},
    {IDC_PARTS_STATUS, kStretchX | kMoveY},
    {IDC_FLT_COMMAND, kStretchX},
    {IDC_FLT_RESULT, kStretchX | kStretchY},
    {IDC_FLT_STATUS, kStretchX | kMoveY},
    {IDC_PF_FORMAT, kStretchX},
    {IDC_PF_ARGS, kStretchX},
    {IDC_PF_COMMAND, kStretchX},
    {IDC_PF_RESULT, kStretchX},
    {IDC_PF_TABLE, kStretchX | kStretchY},
    {IDC_PF_STATUS, kStretchX | kMoveY},
    {IDC_RND_COMMAND, kStretchX},
    {IDC_RND_RESULT, kStretchX | kStretchY},
    {IDC_RND_STATUS, kStretchX | kMoveY},
};

const int kParamFields[] = {IDC_CRC_WIDTH, IDC_CRC_POLY, IDC_CRC_INIT, IDC_CRC_REFIN, IDC_CRC_REFOUT, IDC_CRC_XOROUT};

CWorkbenchWindow* g_window = nullptr;
HHOOK g_key_hook = nullptr;

// The modal loop offers every message to this filter before the dialog
// manager, which would take Ctrl+Tab for a plain Tab.
LRESULT CALLBACK KeyFilter(int code, WPARAM wparam, LPARAM lparam) {
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
        ::GetKeyState(VK_CONTROL) < 0 && g_window && g_window->SwitchPageKey(::GetKeyState(VK_SHIFT) < 0)) {
        return TRUE;
    }
    return ::CallNextHookEx(g_key_hook, code, wparam, lparam);
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
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

// A small file (the settings, a CRC's C source) written as quobrix -o
// writes: whole or not at all, and a link, a file of several names or a
// file's mode kept (cli/output_file.h).
bool WriteSmallFile(const std::string& path, const std::string& bytes) {
    std::string error;
    return WriteOutputFile(path, [&bytes](const WriteBlock& write) { return write(bytes); }, error);
}

}  // namespace

// ---- The worker --------------------------------------------------------

// One file's CRC on a thread of its own. The window owns it and waits for
// its end before it lets go of it.
struct CWorkbenchWindow::FileJob {
    HWND window = nullptr;
    CrcParams params;
    std::string path;
    bool all_models = false;
    std::uint64_t size = 0;
    std::atomic<bool> cancel{false};
    HANDLE thread = nullptr;
    // Read by the window once kFileDone came.
    crc_page::FileOutcome outcome = crc_page::FileOutcome::kFailed;
    Uint128 crc;
    std::vector<crc_page::ModelRow> rows;
    std::string error;

    static DWORD WINAPI Run(void* context) {
        FileJob& job = *static_cast<FileJob*>(context);
        int shown = -1;
        std::chrono::steady_clock::time_point posted;
        const auto progress = [&job, &shown, &posted](std::uint64_t done) {
            const int thousandths = job.size == 0 ? kProgressEnd
                                                  : static_cast<int>(std::min<std::uint64_t>(done, job.size) * kProgressEnd / job.size);
            const auto now = std::chrono::steady_clock::now();
            if (thousandths != shown && (shown < 0 || now - posted >= kProgressInterval)) {
                shown = thousandths;
                posted = now;
                ::PostMessageW(job.window, kFileProgress, static_cast<WPARAM>(thousandths), 0);
            }
            return !job.cancel.load();
        };
        job.outcome = job.all_models ? crc_page::FileAllModels(job.path, progress, job.rows, job.error)
                                     : crc_page::FileCrc(job.params, job.path, progress, job.crc, job.error);
        ::PostMessageW(job.window, kFileDone, 0, 0);
        return 0;
    }
};

// One search of the find page on a thread of its own, which recovery of an
// unknown CRC may keep busy for minutes.
struct CWorkbenchWindow::FindJob {
    HWND window = nullptr;
    std::string text, max_skip;
    bool recovery = false;
    std::atomic<bool> cancel{false};
    HANDLE thread = nullptr;
    // Written by the worker before it posts kFindNote (once) and kFindDone.
    std::string note;
    find_page::Answer answer;

    static DWORD WINAPI Run(void* context) {
        FindJob& job = *static_cast<FindJob*>(context);
        find_page::Hooks hooks;
        hooks.cancelled = [&job] { return job.cancel.load(); };
        hooks.before_slow_recovery = [&job](const std::string& note) {
            job.note = note;
            ::PostMessageW(job.window, kFindNote, 0, 0);
        };
        job.answer = find_page::Find(job.text, job.max_skip, job.recovery, hooks);
        ::PostMessageW(job.window, kFindDone, 0, 0);
        return 0;
    }
};

// ---- The window --------------------------------------------------------

BEGIN_MESSAGE_MAP(CWorkbenchWindow, CDialog)
    ON_COMMAND(IDC_CRC_COMPUTE, OnCrcCompute)
    ON_COMMAND(IDC_CRC_CANCEL, OnCrcCancel)
    ON_COMMAND(IDC_CRC_BROWSE, OnCrcBrowse)
    ON_COMMAND(IDC_CRC_EXPORT, OnCrcExport)
    ON_COMMAND(IDC_CRC_ALL, OnCrcAll)
    ON_COMMAND(IDC_CRC_COPY, OnCrcCopy)
    ON_COMMAND(IDC_CRC_COPY_HIGH, OnCrcCopyHigh)
    ON_COMMAND(IDC_CRC_COPY_LOW, OnCrcCopyLow)
    ON_COMMAND(IDC_CRC_MODE_GBK, OnCrcMode)
    ON_COMMAND(IDC_CRC_MODE_UTF8, OnCrcMode)
    ON_COMMAND(IDC_CRC_MODE_HEX, OnCrcMode)
    ON_COMMAND(IDC_CRC_MODE_FILE, OnCrcMode)
    ON_COMMAND(IDC_FIND_RUN, OnFind)
    ON_COMMAND(IDC_FIND_CANCEL, OnFindCancel)
    ON_COMMAND(IDC_FRAME_BUILD, OnFrameBuild)
    ON_COMMAND(IDC_FRAME_VERIFY, OnFrameVerify)
    ON_COMMAND(IDC_NUM_RUN, OnNumbers)
    ON_COMMAND(IDC_NUM_BACK, OnNumberBytes)
    ON_COMMAND(IDC_ARR_BROWSE, OnArrayBrowse)
    ON_COMMAND(IDC_ARR_RUN, OnArrayRun)
    ON_COMMAND(IDC_ARR_SAVE, OnArraySave)
    ON_COMMAND(IDC_PARTS_NEAREST, OnPartsNearest)
    ON_COMMAND(IDC_PARTS_MARK, OnPartsMark)
    ON_COMMAND(IDC_PARTS_DECODE, OnPartsDecode)
    ON_COMMAND(IDC_PARTS_DIVIDER, OnPartsDivider)
    ON_COMMAND(IDC_FLT_DESIGN, OnFilterDesign)
    ON_COMMAND(IDC_FLT_FREQ_OF, OnFilterFrequency)
    ON_COMMAND(IDC_PF_RUN, OnPrintf)
    ON_COMMAND(IDC_RND_RUN, OnRandomRun)
    ON_COMMAND(IDC_RND_SAVE, OnRandomSave)
END_MESSAGE_MAP()

CWorkbenchWindow::CWorkbenchWindow() : CDialog(IDD) { g_window = this; }

CWorkbenchWindow::~CWorkbenchWindow() {
    StopFileJob();
    StopFindJob();
    if (fixed_font_) ::DeleteObject(fixed_font_);
    if (g_window == this) g_window = nullptr;
}

std::string CWorkbenchWindow::Text(int id) const {
    CWnd* control = GetDlgItem(id);
    if (!control) return std::string();
    CString text;
    control->GetWindowText(text);
    return AfxGbkToUtf8(std::string(static_cast<const char*>(text)));
}

void CWorkbenchWindow::SetText(int id, const std::string& utf8) {
    if (CWnd* control = GetDlgItem(id)) control->SetWindowText(AfxUtf8ToGbk(utf8).c_str());
}

bool CWorkbenchWindow::IsChecked(int id) const {
    CWnd* control = GetDlgItem(id);
    return control && control->SendMessage(BM_GETCHECK) == BST_CHECKED;
}

void CWorkbenchWindow::Check(int id, bool checked) {
    if (CWnd* control = GetDlgItem(id)) control->SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CWorkbenchWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    icon_ = AfxLoadIcon(IDR_WORKBENCH_ICON);
    SetIcon(icon_, TRUE);
    SetIcon(icon_, FALSE);
    AfxAcceptDroppedFiles(m_hWnd);
    g_key_hook = ::SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, ::GetCurrentThreadId());

    // The template's size is the least the controls need.
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    min_size_ = {window.right - window.left, window.bottom - window.top};
    start_client_ = {client.right, client.bottom};
    for (const AnchorRule& rule : kAnchorRules) {
        HWND control = ::GetDlgItem(m_hWnd, rule.id);
        if (!control) continue;
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        anchors_.push_back({control, rect, rule.flags});
    }

    CTabCtrl tabs(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    for (int i = 0; i < settings::kPages; ++i) tabs.InsertItem(i, AfxUtf8ToGbk(kPageNames[i]).c_str());

    CComboBox models(::GetDlgItem(m_hWnd, IDC_CRC_MODEL));
    for (const std::string& name : crc_page::ModelNames()) models.AddString(name.c_str());
    CListCtrl all(::GetDlgItem(m_hWnd, IDC_CRC_LIST));
    all.SetTableStyle();
    all.SetColumns({AfxUtf8ToGbk("模型"), AfxUtf8ToGbk("宽度"), "CRC"}, {140, 40, 100});
    CProgressCtrl progress(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS));
    progress.SetRange(0, kProgressEnd);

    SetText(IDC_FIND_SKIP, "4");
    CListCtrl found(::GetDlgItem(m_hWnd, IDC_FIND_LIST));
    found.SetTableStyle();
    found.SetColumns({AfxUtf8ToGbk("名称"), AfxUtf8ToGbk("字节序"), "head", "tail", AfxUtf8ToGbk("参数")},
                     {110, 36, 28, 28, 220});

    CComboBox checks(::GetDlgItem(m_hWnd, IDC_FRAME_CHECK));
    for (const std::string& name : frame_page::CheckNames()) checks.AddString(name.c_str());
    Check(IDC_FRAME_BE, true);

    CComboBox types(::GetDlgItem(m_hWnd, IDC_NUM_TYPE));
    for (const std::string& name : number_page::TypeNames()) types.AddString(name.c_str());
    // float32, the type the question is most often about.
    types.SetCurSel(static_cast<int>(types.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                       reinterpret_cast<LPARAM>("float32"))));
    // Both tables with their first columns from the start: a list's header
    // with no columns paints nothing, and what the last page left on the
    // screen there would stay until the first answer.
    CListCtrl numbers(::GetDlgItem(m_hWnd, IDC_NUM_LIST));
    numbers.SetTableStyle();
    numbers.SetColumns({AfxUtf8ToGbk("字节序"), AfxUtf8ToGbk("十六进制")}, {50, 80});
    CListCtrl bytes(::GetDlgItem(m_hWnd, IDC_NUM_BYTES_LIST));
    bytes.SetTableStyle();
    bytes.SetColumns({AfxUtf8ToGbk("字节序"), AfxUtf8ToGbk("字节")}, {70, 160});

    InitCommandPages();

    LoadSettings();
    const crc_page::Lookup model = crc_page::LookUp(settings_.model);
    SelectModel(model.model >= 0 ? model.model : crc_page::LookUp("CRC-16/MODBUS").model);
    SetMode(static_cast<crc_page::InputMode>(settings_.input_mode));
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
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    return FALSE;  // the focus is set
}

void CWorkbenchWindow::LoadSettings() {
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) {
        ini_path_ = AfxWideToUtf8(folder) + "\\Quobrix\\workbench.ini";
    }
    std::string text;
    if (!ini_path_.empty() && ReadSmallFile(ini_path_, text)) settings_ = settings::Parse(text);
}

// A settings file that cannot be written is no reason to keep the window.
void CWorkbenchWindow::SaveSettings() {
    if (ini_path_.empty()) return;
    settings_.page = page_;
    const int model = crc_page::ModelOf([this] {
        CrcParams params;
        return CurrentParams(params) ? params : CrcParams();
    }());
    if (model >= 0) settings_.model = crc_page::ModelNames()[static_cast<size_t>(model)];
    settings_.input_mode = static_cast<int>(Mode());
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        settings_.placement = {true, r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    const std::string folder = ini_path_.substr(0, ini_path_.rfind('\\'));
    ::CreateDirectoryW(AfxUtf8ToWide(folder).c_str(), nullptr);
    // A write cut short (a full disk, the session ending) keeps the
    // settings there were.
    WriteSmallFile(ini_path_, settings::Format(settings_));
}

const std::vector<HWND>& CWorkbenchWindow::PageControls(int page) {
    std::vector<HWND>& controls = page_controls_[page];
    if (controls.empty()) {
        const auto find = [&](int id) {
            if (HWND control = ::GetDlgItem(m_hWnd, id)) controls.push_back(control);
        };
        for (int id = kPages[page].first; id <= kPages[page].last; ++id) find(id);
        for (int id = kPages[page].first_label; id < kPages[page].first_label + IDC_LABELS_PER_PAGE; ++id) find(id);
    }
    return controls;
}

void CWorkbenchWindow::ShowPage(int page) {
    if (page < 0 || page >= settings::kPages) page = 0;
    page_ = page;
    HWND focus = ::GetFocus();
    bool focus_hidden = false;
    // One repaint for the whole switch, not one for each of the dozens of
    // controls shown or hidden. (Turning drawing off hides the window from
    // IsWindowVisible, and turning it on shows it: only for a shown window.)
    const bool repaint_once = ::IsWindowVisible(m_hWnd) != FALSE;
    if (repaint_once) ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
    for (int p = 0; p < settings::kPages; ++p) {
        const bool show = p == page;
        for (HWND control : PageControls(p)) {
            if (!show && control == focus) focus_hidden = true;
            const bool shown = (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
            if (shown != show) ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
        }
    }
    CTabCtrl tabs(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    if (repaint_once) {
        ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        // The whole client area, the tabs' row with it: turning drawing off
        // validated the window and every control, and with them the tab
        // control's own repaint of the tab a click has just selected. Painted
        // now, in one pass over the controls: left to the message loop, each
        // control's WM_PAINT waited its turn behind a round of the loop, and
        // under Wine the CRC page's 46 controls took half as long again.
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (tabs.GetCurSel() != page) tabs.SetCurSel(page);
    if (focus_hidden) ::SetFocus(tabs.m_hWnd);
}

bool CWorkbenchWindow::SwitchPageKey(bool backwards) {
    ShowPage((page_ + (backwards ? settings::kPages - 1 : 1)) % settings::kPages);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_WB_TABS));
    return true;
}

void CWorkbenchWindow::Layout() {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (client.right == 0 || client.bottom == 0) return;  // minimised
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
            const CDroppedFiles dropped(wparam);
            if (!dropped.Paths().empty()) {
                ShowPage(0);
                SetFile(dropped.Paths().front());
                SetMode(crc_page::InputMode::kFile);
                OnCrcCompute();
            }
            return 0;
        }
        case kFileProgress:
            FileProgress(static_cast<int>(wparam));
            return 0;
        case kFileDone:
            FinishFileJob();
            return 0;
        case kFindNote:
            // The note stays while the search goes on, and before its answer.
            if (find_job_) SetText(IDC_FIND_NOTES, find_job_->note);
            return 0;
        case kFindDone:
            FinishFindJob();
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_WB_TABS && header->code == TCN_SELCHANGE) {
                ShowPage(CTabCtrl(header->hwndFrom).GetCurSel());
                return 0;
            }
            if (header->idFrom == IDC_CRC_LIST && header->code == LVN_COLUMNCLICK) {
                const int column = reinterpret_cast<const NMLISTVIEW*>(lparam)->iSubItem;
                sort_ascending_ = column == sort_column_ ? !sort_ascending_ : true;
                sort_column_ = column;
                FillAllModels();
                return 0;
            }
            if (header->idFrom == IDC_FIND_LIST && header->code == NM_DBLCLK) {
                OpenRowInFramePage(reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem);
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CDialog::WindowProc(message, wparam, lparam);
}

BOOL CWorkbenchWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if (id == IDC_CRC_MODEL && code == CBN_SELCHANGE) {
        SelectModel(CComboBox(::GetDlgItem(m_hWnd, IDC_CRC_MODEL)).GetCurSel());
        return TRUE;
    }
    if (id == IDC_CRC_MODEL && code == CBN_EDITCHANGE) {
        ModelTyped();
        return TRUE;
    }
    if (code == EN_CHANGE) {
        for (const int field : kParamFields) {
            if (id == field) {
                FieldsEdited();
                return TRUE;
            }
        }
        if (id == IDC_CRC_FILE && !updating_fields_) SetMode(crc_page::InputMode::kFile);
    }
    return CDialog::OnCommand(wparam, lparam);
}

// Enter computes on the page shown.
void CWorkbenchWindow::OnOK() {
    switch (page_) {
        case 0: OnCrcCompute(); break;
        case 1: OnFind(); break;
        case 2: OnFrameBuild(); break;
        case 3: OnNumbers(); break;
        case 4: OnArrayRun(); break;
        case 5: OnPartsNearest(); break;
        case 6: OnFilterDesign(); break;
        case 7: OnPrintf(); break;
        default: OnRandomRun(); break;
    }
}

// Esc and the close button: a computation still running is cancelled and
// waited for, then the settings are kept and the window ends.
void CWorkbenchWindow::OnCancel() {
    StopFileJob();
    StopFindJob();
    SaveSettings();
    if (g_key_hook) {
        ::UnhookWindowsHookEx(g_key_hook);
        g_key_hook = nullptr;
    }
    EndDialog(IDCANCEL);
}

// ---- CRC 计算 -----------------------------------------------------------

void CWorkbenchWindow::ShowFields(const CrcParams& params) {
    const crc_page::Fields fields = crc_page::FieldsOf(params);
    updating_fields_ = true;
    SetText(IDC_CRC_WIDTH, fields.width);
    SetText(IDC_CRC_POLY, fields.poly);
    SetText(IDC_CRC_INIT, fields.init);
    SetText(IDC_CRC_REFIN, fields.refin);
    SetText(IDC_CRC_REFOUT, fields.refout);
    SetText(IDC_CRC_XOROUT, fields.xorout);
    SetText(IDC_CRC_CHECK, fields.check);
    SetText(IDC_CRC_RESIDUE, fields.residue);
    SetText(IDC_CRC_PARAM_MSG, "");
    updating_fields_ = false;
}

void CWorkbenchWindow::SelectModel(int index) {
    const std::vector<std::string> names = crc_page::ModelNames();
    if (index < 0 || static_cast<size_t>(index) >= names.size()) return;
    CComboBox models(::GetDlgItem(m_hWnd, IDC_CRC_MODEL));
    if (models.GetCurSel() != index) models.SetCurSel(index);
    ShowFields(crc_page::ParamsOf(index));
    SetModelNote("");
    unresolved_model_.clear();
}

void CWorkbenchWindow::ModelTyped() {
    const crc_page::Lookup lookup = crc_page::LookUp(Text(IDC_CRC_MODEL));
    if (lookup.model >= 0) {
        ShowFields(crc_page::ParamsOf(lookup.model));
        const std::string name = crc_page::ModelNames()[static_cast<size_t>(lookup.model)];
        SetModelNote(lookup.note.empty() ? name : lookup.note);
        unresolved_model_.clear();
        return;
    }
    SetModelNote(lookup.note);
    unresolved_model_ = lookup.note.substr(0, lookup.note.find('\n'));
}

void CWorkbenchWindow::SetModelNote(const std::string& utf8) {
    SetText(IDC_CRC_MODEL_NOTE, WindowsLines(utf8));
    HWND note = ::GetDlgItem(m_hWnd, IDC_CRC_MODEL_NOTE);
    // Lines wrapped without the bar: the bar only narrows them further.
    ::ShowScrollBar(note, SB_VERT, FALSE);
    RECT area = {};
    ::SendMessageW(note, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    HDC dc = ::GetDC(note);
    HGDIOBJ old_font = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(note, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old_font);
    ::ReleaseDC(note, dc);
    const LRESULT lines = ::SendMessageW(note, EM_GETLINECOUNT, 0, 0);
    const LONG fitting = metrics.tmHeight > 0 ? (area.bottom - area.top) / metrics.tmHeight : lines;
    if (lines > fitting) ::ShowScrollBar(note, SB_VERT, TRUE);
}

void CWorkbenchWindow::FieldsEdited() {
    if (updating_fields_) return;
    // The fields are the user's own now, whatever the model box said.
    unresolved_model_.clear();
    CrcParams params;
    std::string error;
    if (!crc_page::ReadFields({Text(IDC_CRC_WIDTH), Text(IDC_CRC_POLY), Text(IDC_CRC_INIT), Text(IDC_CRC_REFIN),
                               Text(IDC_CRC_REFOUT), Text(IDC_CRC_XOROUT), "", ""},
                              params, error)) {
        SetText(IDC_CRC_PARAM_MSG, error);
        SetText(IDC_CRC_CHECK, "");
        SetText(IDC_CRC_RESIDUE, "");
        return;
    }
    SetText(IDC_CRC_PARAM_MSG, "");
    const crc_page::Fields shown = crc_page::FieldsOf(params);
    SetText(IDC_CRC_CHECK, shown.check);
    SetText(IDC_CRC_RESIDUE, shown.residue);
    const int model = crc_page::ModelOf(params);
    CComboBox models(::GetDlgItem(m_hWnd, IDC_CRC_MODEL));
    if (model >= 0) {
        models.SetCurSel(model);
    } else {
        models.SetCurSel(-1);
        SetText(IDC_CRC_MODEL, crc_page::kCustomName);
    }
}

bool CWorkbenchWindow::CurrentParams(CrcParams& params) {
    if (!unresolved_model_.empty()) {
        SetText(IDC_CRC_PARAM_MSG, unresolved_model_);
        return false;
    }
    std::string error;
    if (crc_page::ReadFields({Text(IDC_CRC_WIDTH), Text(IDC_CRC_POLY), Text(IDC_CRC_INIT), Text(IDC_CRC_REFIN),
                              Text(IDC_CRC_REFOUT), Text(IDC_CRC_XOROUT), "", ""},
                             params, error)) {
        return true;
    }
    SetText(IDC_CRC_PARAM_MSG, error);
    return false;
}

crc_page::InputMode CWorkbenchWindow::Mode() const {
    if (IsChecked(IDC_CRC_MODE_UTF8)) return crc_page::InputMode::kTextUtf8;
    if (IsChecked(IDC_CRC_MODE_HEX)) return crc_page::InputMode::kHex;
    if (IsChecked(IDC_CRC_MODE_FILE)) return crc_page::InputMode::kFile;
    return crc_page::InputMode::kTextGbk;
}

void CWorkbenchWindow::SetMode(crc_page::InputMode mode) {
    Check(IDC_CRC_MODE_GBK, mode == crc_page::InputMode::kTextGbk);
    Check(IDC_CRC_MODE_UTF8, mode == crc_page::InputMode::kTextUtf8);
    Check(IDC_CRC_MODE_HEX, mode == crc_page::InputMode::kHex);
    Check(IDC_CRC_MODE_FILE, mode == crc_page::InputMode::kFile);
}

void CWorkbenchWindow::OnCrcMode() {}

void CWorkbenchWindow::ShowAnswer(const crc_page::Answer& answer) {
    SetText(IDC_CRC_RESULT, answer.number);
    SetText(IDC_CRC_HIGH, answer.high_first);
    SetText(IDC_CRC_LOW, answer.low_first);
}

void CWorkbenchWindow::ClearAnswer() { ShowAnswer({}); }

void CWorkbenchWindow::ShowStatus(const std::string& utf8) { SetText(IDC_CRC_STATUS, WindowsLines(utf8)); }

void CWorkbenchWindow::SetFile(const std::string& utf8_path) {
    file_path_ = utf8_path;
    updating_fields_ = true;
    SetText(IDC_CRC_FILE, utf8_path);
    updating_fields_ = false;
    CString shown;
    GetDlgItem(IDC_CRC_FILE)->GetWindowText(shown);
    file_shown_ = static_cast<const char*>(shown);
}

// The file chosen or dropped, by its full Unicode name while the box still
// shows it; a name typed into the box, as typed.
std::string CWorkbenchWindow::FilePath() const {
    CString shown;
    GetDlgItem(IDC_CRC_FILE)->GetWindowText(shown);
    if (!file_path_.empty() && file_shown_ == static_cast<const char*>(shown)) return file_path_;
    return AfxGbkToUtf8(static_cast<const char*>(shown));
}

void CWorkbenchWindow::OnCrcCompute() {
    if (computing_) return;
    CrcParams params;
    if (!CurrentParams(params)) {
        ClearAnswer();
        ShowStatus("");
        return;
    }
    ShowStatus("");
    const crc_page::InputMode mode = Mode();
    if (mode == crc_page::InputMode::kFile) {
        const std::string path = FilePath();
        if (path.empty()) {
            ShowStatus("请选择文件");
            return;
        }
        StartFileJob(params, path, false);
        return;
    }
    std::string bytes, error;
    if (!crc_page::InputBytes(mode, Text(IDC_CRC_INPUT), bytes, error)) {
        ClearAnswer();
        ShowStatus(error);
        return;
    }
    ShowAnswer(crc_page::Compute(params, bytes));
}

void CWorkbenchWindow::StartFileJob(const CrcParams& params, const std::string& path, bool all_models) {
    job_.reset(new FileJob);
    job_->window = m_hWnd;
    job_->params = params;
    job_->path = path;
    job_->all_models = all_models;
    job_->size = crc_page::FileSizeOf(path);
    // The worker first, and the controls while it reads: under Wine they
    // took 2-4 ms, a few per cent of a gigabyte. What it posts waits until
    // this returns.
    job_->thread = ::CreateThread(nullptr, 0, &FileJob::Run, job_.get(), 0, nullptr);
    if (!job_->thread) {
        job_.reset();
        ShowStatus("无法启动读取文件的线程");
        return;
    }
    computing_ = true;
    ClearAnswer();
    CProgressCtrl(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS)).SetPos(0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CRC_CANCEL), TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CRC_COMPUTE), FALSE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CRC_ALL), FALSE);
    ShowStatus("正在读取 " + path);
}

void CWorkbenchWindow::FileProgress(int percent) {
    if (job_) CProgressCtrl(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS)).SetPos(percent);
}

void CWorkbenchWindow::FinishFileJob() {
    if (!job_) return;
    ::WaitForSingleObject(job_->thread, INFINITE);
    ::CloseHandle(job_->thread);
    const std::unique_ptr<FileJob> job = std::move(job_);
    computing_ = false;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CRC_COMPUTE), TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CRC_ALL), TRUE);
    // The focus leaves the button before it is disabled.
    HWND cancel = ::GetDlgItem(m_hWnd, IDC_CRC_CANCEL);
    if (::GetFocus() == cancel) ::SetFocus(::GetDlgItem(m_hWnd, IDC_CRC_COMPUTE));
    ::EnableWindow(cancel, FALSE);
    switch (job->outcome) {
        case crc_page::FileOutcome::kDone:
            CProgressCtrl(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS)).SetPos(kProgressEnd);
            if (job->all_models) {
                all_rows_ = job->rows;
                FillAllModels();
            } else {
                ShowAnswer(crc_page::AnswerOf(job->crc, job->params.width));
            }
            ShowStatus(job->path);
            break;
        case crc_page::FileOutcome::kCancelled:
            CProgressCtrl(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS)).SetPos(0);
            ShowStatus("已取消：" + job->path);
            break;
        case crc_page::FileOutcome::kFailed:
            CProgressCtrl(::GetDlgItem(m_hWnd, IDC_CRC_PROGRESS)).SetPos(0);
            ShowStatus("读取失败：" + job->error);
            break;
    }
}

// Waits for a running worker after telling it to stop: it stops within a
// block, and it only posts to the window, so it never waits for it.
void CWorkbenchWindow::StopFileJob() {
    if (!job_) return;
    job_->cancel = true;
    ::WaitForSingleObject(job_->thread, INFINITE);
    ::CloseHandle(job_->thread);
    job_.reset();
    computing_ = false;
}

void CWorkbenchWindow::OnCrcCancel() {
    if (job_) job_->cancel = true;
}

void CWorkbenchWindow::OnCrcBrowse() {
    CFileDialog dialog(true, nullptr, AfxUtf8ToGbk("所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    SetFile(dialog.GetPathName());
    SetMode(crc_page::InputMode::kFile);
}

void CWorkbenchWindow::OnCrcExport() {
    CrcParams params;
    if (!CurrentParams(params)) return;
    const int model = crc_page::ModelOf(params);
    std::string name = model >= 0 ? crc_page::ModelNames()[static_cast<size_t>(model)] : "crc";
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    CFileDialog dialog(false, "c", AfxUtf8ToGbk("C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    dialog.SetFileName(name + ".c");
    if (dialog.DoModal() != IDOK) return;
    if (!WriteSmallFile(dialog.GetPathName(), crc_page::CSource(params, model))) {
        ShowStatus("无法写入 " + dialog.GetPathName());
        return;
    }
    ShowStatus("已导出 " + dialog.GetPathName());
}

void CWorkbenchWindow::OnCrcAll() {
    std::string bytes, error;
    const crc_page::InputMode mode = Mode();
    if (mode == crc_page::InputMode::kFile) {
        if (computing_) return;
        const std::string path = FilePath();
        if (path.empty()) {
            ShowStatus("请选择文件");
            return;
        }
        StartFileJob(CrcParams(), path, true);
        return;
    }
    if (!crc_page::InputBytes(mode, Text(IDC_CRC_INPUT), bytes, error)) {
        ShowStatus(error);
        return;
    }
    all_rows_ = crc_page::AllModels(bytes);
    FillAllModels();
}

void CWorkbenchWindow::FillAllModels() {
    if (sort_column_ >= 0) {
        const crc_page::Column columns[] = {crc_page::Column::kName, crc_page::Column::kWidth, crc_page::Column::kCrc};
        crc_page::SortRows(all_rows_, columns[sort_column_ % 3], sort_ascending_);
    }
    std::vector<std::vector<std::string>> rows;
    for (const crc_page::ModelRow& row : all_rows_) rows.push_back({row.name, std::to_string(row.width), row.crc});
    CListCtrl(::GetDlgItem(m_hWnd, IDC_CRC_LIST)).SetRows(rows);
}

void CWorkbenchWindow::Copy(int id) {
    CString text;
    GetDlgItem(id)->GetWindowText(text);
    AfxSetClipboardText(m_hWnd, static_cast<const char*>(text));
}

void CWorkbenchWindow::OnCrcCopy() { Copy(IDC_CRC_RESULT); }
void CWorkbenchWindow::OnCrcCopyHigh() { Copy(IDC_CRC_HIGH); }
void CWorkbenchWindow::OnCrcCopyLow() { Copy(IDC_CRC_LOW); }

// ---- 校验识别 ------------------------------------------------------------

void CWorkbenchWindow::OnFind() {
    if (find_job_) return;
    find_job_.reset(new FindJob);
    find_job_->window = m_hWnd;
    find_job_->text = Text(IDC_FIND_FRAMES);
    find_job_->max_skip = Text(IDC_FIND_SKIP);
    find_job_->recovery = IsChecked(IDC_FIND_RECOVER);
    found_ = find_page::Answer();
    CListCtrl(::GetDlgItem(m_hWnd, IDC_FIND_LIST)).DeleteAllItems();
    SetText(IDC_FIND_NOTES, "正在识别…");
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_CANCEL), TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_RUN), FALSE);
    find_job_->thread = ::CreateThread(nullptr, 0, &FindJob::Run, find_job_.get(), 0, nullptr);
    if (!find_job_->thread) {
        find_job_.reset();
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_RUN), TRUE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_CANCEL), FALSE);
        SetText(IDC_FIND_NOTES, "无法启动识别的线程");
    }
}

void CWorkbenchWindow::OnFindCancel() {
    if (find_job_) find_job_->cancel = true;
}

void CWorkbenchWindow::FinishFindJob() {
    if (!find_job_) return;
    ::WaitForSingleObject(find_job_->thread, INFINITE);
    ::CloseHandle(find_job_->thread);
    const std::unique_ptr<FindJob> job = std::move(find_job_);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_RUN), TRUE);
    HWND cancel = ::GetDlgItem(m_hWnd, IDC_FIND_CANCEL);
    if (::GetFocus() == cancel) ::SetFocus(::GetDlgItem(m_hWnd, IDC_FIND_RUN));
    ::EnableWindow(cancel, FALSE);
    if (job->answer.cancelled) {
        SetText(IDC_FIND_NOTES, "已取消");
        return;
    }
    found_ = job->answer;
    std::vector<std::vector<std::string>> rows;
    for (const find_page::Row& row : found_.rows) rows.push_back({row.name, row.order, row.head, row.tail, row.params});
    CListCtrl(::GetDlgItem(m_hWnd, IDC_FIND_LIST)).SetRows(rows);
    SetText(IDC_FIND_NOTES, found_.error.empty() ? Joined(found_.notes) : found_.error);
}

// As StopFileJob: the search stops before its next recovery.
void CWorkbenchWindow::StopFindJob() {
    if (!find_job_) return;
    find_job_->cancel = true;
    ::WaitForSingleObject(find_job_->thread, INFINITE);
    ::CloseHandle(find_job_->thread);
    find_job_.reset();
}

void CWorkbenchWindow::OpenRowInFramePage(int row) {
    if (row < 0 || static_cast<size_t>(row) >= found_.rows.size() || found_.frames.empty()) return;
    const frame_page::Form form = find_page::FormOf(found_.rows[static_cast<size_t>(row)], found_.frames.front());
    SetText(IDC_FRAME_CHECK, form.check);
    Check(IDC_FRAME_BE, form.order == frame_page::Order::kBigEndian);
    Check(IDC_FRAME_LE, form.order == frame_page::Order::kLittleEndian);
    SetText(IDC_FRAME_HEAD, form.head);
    SetText(IDC_FRAME_TAIL, form.tail);
    SetText(IDC_FRAME_DATA, form.data);
    SetText(IDC_FRAME_RESULT, "");
    SetText(IDC_FRAME_NOTES, "");
    ShowPage(2);
}

// ---- 帧 -----------------------------------------------------------------

namespace {

frame_page::Form FormOfWindow(const std::string& check, bool little, const std::string& head, const std::string& tail,
                              const std::string& data) {
    frame_page::Form form;
    form.check = check;
    form.order = little ? frame_page::Order::kLittleEndian : frame_page::Order::kBigEndian;
    form.head = head;
    form.tail = tail;
    form.data = data;
    return form;
}

}  // namespace

void CWorkbenchWindow::OnFrameBuild() {
    const frame_page::Answer answer = frame_page::Build(FormOfWindow(
        Text(IDC_FRAME_CHECK), IsChecked(IDC_FRAME_LE), Text(IDC_FRAME_HEAD), Text(IDC_FRAME_TAIL), Text(IDC_FRAME_DATA)));
    SetText(IDC_FRAME_RESULT, answer.line);
    SetText(IDC_FRAME_NOTES, Joined(answer.notes));
}

void CWorkbenchWindow::OnFrameVerify() {
    const frame_page::Answer answer = frame_page::Verify(FormOfWindow(
        Text(IDC_FRAME_CHECK), IsChecked(IDC_FRAME_LE), Text(IDC_FRAME_HEAD), Text(IDC_FRAME_TAIL), Text(IDC_FRAME_DATA)));
    SetText(IDC_FRAME_RESULT, answer.line);
    SetText(IDC_FRAME_NOTES, Joined(answer.notes));
}

// ---- 数值 ----------------------------------------------------------------

namespace {

// The command line's column names, as the page's headings say them.
std::vector<std::string> Headings(const std::vector<std::string>& header) {
    std::vector<std::string> headings;
    for (const std::string& name : header) {
        headings.push_back(AfxUtf8ToGbk(name == "order" ? "字节序" : name == "hex" ? "十六进制" : name == "bytes" ? "字节" : name));
    }
    return headings;
}

}  // namespace

void CWorkbenchWindow::OnNumbers() {
    const number_page::Table table = number_page::NumbersOf(Text(IDC_NUM_HEX));
    CListCtrl list(::GetDlgItem(m_hWnd, IDC_NUM_LIST));
    SetText(IDC_NUM_MSG, table.error);
    if (!table.error.empty()) {
        list.DeleteAllItems();
        return;
    }
    std::vector<int> widths(table.header.size(), 80);
    widths[0] = 50;
    list.SetColumns(Headings(table.header), widths);
    list.SetRows(table.rows);
}

void CWorkbenchWindow::OnNumberBytes() {
    CComboBox types(::GetDlgItem(m_hWnd, IDC_NUM_TYPE));
    const number_page::Table table = number_page::BytesOf(types.GetLBText(types.GetCurSel()), Text(IDC_NUM_VALUE));
    CListCtrl list(::GetDlgItem(m_hWnd, IDC_NUM_BYTES_LIST));
    SetText(IDC_NUM_MSG, table.error);
    if (!table.error.empty()) {
        list.DeleteAllItems();
        return;
    }
    list.SetColumns(Headings(table.header), {70, 160});
    list.SetRows(table.rows);
}
