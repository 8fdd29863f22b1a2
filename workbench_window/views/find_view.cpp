#include "workbench_window/views/find_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include "fw/win32/controls.h"
#include "workbench_window/workbench_window.h"

namespace {

// A note before a long recovery, posted by the worker.
constexpr UINT kFindNote = WM_APP + 3;

// The box's state as the command line's choice.
RecoveryMode RecoveryOf(LRESULT state) {
    if (state == BST_CHECKED) return RecoveryMode::kAlways;
    if (state == BST_UNCHECKED) return RecoveryMode::kNever;
    return RecoveryMode::kAuto;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFindView, CPageView)
    ON_COMMAND(IDC_FIND_RUN, OnFind)
    ON_COMMAND(IDC_FIND_CANCEL, OnCancelFind)
END_MESSAGE_MAP()

CFindView::CFindView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

// The worker writes the page's members until its end.
CFindView::~CFindView() { worker_.Stop(); }

BOOL CFindView::OnInitDialog() {
    CPageView::OnInitDialog();
    FollowSize({
        {IDC_FIND_FRAMES, kStretchX},
        {IDC_FIND_LIST, kStretchX | kStretchY},
        {IDC_FIND_NOTES, kStretchX | kMoveY},
    });
    SetText(IDC_FIND_SKIP, "4");
    // Three states, quobrix find's three: ticked searches always (--search),
    // empty never (--no-search), and the half-ticked start is the command's
    // default, a recovery only when no named check holds and it is quick.
    ::SendMessageW(Item(IDC_FIND_RECOVER), BM_SETCHECK, BST_INDETERMINATE, 0);
    CListCtrl found(Item(IDC_FIND_LIST));
    found.SetTableStyle();
    found.SetColumns({AfxUtf8ToGbk("名称"), AfxUtf8ToGbk("字节序"), "head", "tail", AfxUtf8ToGbk("参数")},
                     {110, 36, 28, 28, 220});
    return FALSE;
}

LRESULT CFindView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case kFindNote:
            // The note stays while the search goes on, and before its answer.
            if (worker_.Running()) SetText(IDC_FIND_NOTES, note_);
            return 0;
        case PageWorker::kDoneMessage:
            FinishFind();
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_FIND_LIST && header->code == NM_DBLCLK) {
                OpenRowInFramePage(reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem);
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CPageView::WindowProc(message, wparam, lparam);
}

void CFindView::ShowFrames(const std::string& frames) {
    if (worker_.Running()) return;
    SetText(IDC_FIND_FRAMES, frames);
    OnFind();
}

void CFindView::OnFind() {
    if (worker_.Running()) return;
    const std::string text = Text(IDC_FIND_FRAMES), max_skip = Text(IDC_FIND_SKIP);
    const RecoveryMode recovery = RecoveryOf(::SendMessageW(Item(IDC_FIND_RECOVER), BM_GETCHECK, 0, 0));
    found_ = find_page::Answer();
    CListCtrl(Item(IDC_FIND_LIST)).DeleteAllItems();
    HWND page = m_hWnd;
    const bool started = worker_.Start(page, [this, page, text, max_skip, recovery] {
        find_page::Hooks hooks;
        hooks.cancelled = [this] { return worker_.Cancelled(); };
        hooks.before_slow_recovery = [this, page](const std::string& note) {
            note_ = note;
            ::PostMessageW(page, kFindNote, 0, 0);
        };
        answer_ = find_page::Find(text, max_skip, recovery, hooks);
    });
    if (!started) {
        SetText(IDC_FIND_NOTES, "无法启动识别的线程");
        return;
    }
    SetText(IDC_FIND_NOTES, "正在识别…");
    ::EnableWindow(Item(IDC_FIND_CANCEL), TRUE);
    WorkStarted(IDC_FIND_CANCEL);
    ::EnableWindow(Item(IDC_FIND_RUN), FALSE);
}

void CFindView::OnCancelFind() { CancelWork(); }

// The search stops before its next recovery; its end comes as usual.
bool CFindView::CancelWork() {
    if (!worker_.Running()) return false;
    worker_.Cancel();
    return true;
}

void CFindView::FinishFind() {
    if (!worker_.Finish()) return;
    ::EnableWindow(Item(IDC_FIND_RUN), TRUE);
    WorkEnded(IDC_FIND_CANCEL, IDC_FIND_RUN);
    ::EnableWindow(Item(IDC_FIND_CANCEL), FALSE);
    if (answer_.cancelled) {
        SetText(IDC_FIND_NOTES, "已取消");
        return;
    }
    found_ = std::move(answer_);
    answer_ = find_page::Answer();
    std::vector<std::vector<std::string>> rows;
    for (const find_page::Row& row : found_.rows) rows.push_back({row.name, row.order, row.head, row.tail, row.params});
    CListCtrl(Item(IDC_FIND_LIST)).SetRows(rows);
    SetText(IDC_FIND_NOTES, found_.error.empty() ? JoinedLines(found_.notes) : found_.error);
}

void CFindView::OpenRowInFramePage(int row) {
    if (row < 0 || static_cast<size_t>(row) >= found_.rows.size() || found_.frames.empty()) return;
    host_.OpenInFramePage(find_page::FormOf(found_.rows[static_cast<size_t>(row)], found_.frames.front()));
}
