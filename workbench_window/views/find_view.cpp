#include "workbench_window/views/find_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include <atomic>

#include "fw/win32/controls.h"
#include "workbench_window/workbench_window.h"

namespace {

// The search's reports: a note before a long recovery, and its end.
constexpr UINT kFindNote = WM_APP + 3;
constexpr UINT kFindDone = WM_APP + 4;

// The box's state as the command line's choice.
RecoveryMode RecoveryOf(LRESULT state) {
    if (state == BST_CHECKED) return RecoveryMode::kAlways;
    if (state == BST_UNCHECKED) return RecoveryMode::kNever;
    return RecoveryMode::kAuto;
}

}  // namespace

// One search on a thread of its own.
struct CFindView::FindJob {
    HWND window = nullptr;
    std::string text, max_skip;
    RecoveryMode recovery = RecoveryMode::kAuto;
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

BEGIN_MESSAGE_MAP(CFindView, CPageView)
    ON_COMMAND(IDC_FIND_RUN, OnFind)
    ON_COMMAND(IDC_FIND_CANCEL, OnCancelFind)
END_MESSAGE_MAP()

CFindView::CFindView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

CFindView::~CFindView() { StopFindJob(); }

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
            if (find_job_) SetText(IDC_FIND_NOTES, find_job_->note);
            return 0;
        case kFindDone:
            FinishFindJob();
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

void CFindView::OnFind() {
    if (find_job_) return;
    find_job_.reset(new FindJob);
    find_job_->window = m_hWnd;
    find_job_->text = Text(IDC_FIND_FRAMES);
    find_job_->max_skip = Text(IDC_FIND_SKIP);
    find_job_->recovery = RecoveryOf(::SendMessageW(Item(IDC_FIND_RECOVER), BM_GETCHECK, 0, 0));
    found_ = find_page::Answer();
    CListCtrl(Item(IDC_FIND_LIST)).DeleteAllItems();
    SetText(IDC_FIND_NOTES, "正在识别…");
    ::EnableWindow(Item(IDC_FIND_CANCEL), TRUE);
    WorkStarted(IDC_FIND_CANCEL);
    ::EnableWindow(Item(IDC_FIND_RUN), FALSE);
    find_job_->thread = ::CreateThread(nullptr, 0, &FindJob::Run, find_job_.get(), 0, nullptr);
    if (!find_job_->thread) {
        find_job_.reset();
        ::EnableWindow(Item(IDC_FIND_RUN), TRUE);
        WorkEnded(IDC_FIND_CANCEL, IDC_FIND_RUN);
        ::EnableWindow(Item(IDC_FIND_CANCEL), FALSE);
        SetText(IDC_FIND_NOTES, "无法启动识别的线程");
    }
}

void CFindView::OnCancelFind() { CancelWork(); }

bool CFindView::CancelWork() {
    if (!find_job_) return false;
    find_job_->cancel = true;
    return true;
}

void CFindView::FinishFindJob() {
    if (!find_job_) return;
    ::WaitForSingleObject(find_job_->thread, INFINITE);
    ::CloseHandle(find_job_->thread);
    const std::unique_ptr<FindJob> job = std::move(find_job_);
    ::EnableWindow(Item(IDC_FIND_RUN), TRUE);
    WorkEnded(IDC_FIND_CANCEL, IDC_FIND_RUN);
    ::EnableWindow(Item(IDC_FIND_CANCEL), FALSE);
    if (job->answer.cancelled) {
        SetText(IDC_FIND_NOTES, "已取消");
        return;
    }
    found_ = job->answer;
    std::vector<std::vector<std::string>> rows;
    for (const find_page::Row& row : found_.rows) rows.push_back({row.name, row.order, row.head, row.tail, row.params});
    CListCtrl(Item(IDC_FIND_LIST)).SetRows(rows);
    SetText(IDC_FIND_NOTES, found_.error.empty() ? JoinedLines(found_.notes) : found_.error);
}

// The search stops before its next recovery; the page waits for it.
void CFindView::StopFindJob() {
    if (!find_job_) return;
    find_job_->cancel = true;
    ::WaitForSingleObject(find_job_->thread, INFINITE);
    ::CloseHandle(find_job_->thread);
    find_job_.reset();
}

void CFindView::OpenRowInFramePage(int row) {
    if (row < 0 || static_cast<size_t>(row) >= found_.rows.size() || found_.frames.empty()) return;
    host_.OpenInFramePage(find_page::FormOf(found_.rows[static_cast<size_t>(row)], found_.frames.front()));
}
