#include "workbench_window/views/command_view.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

#include "fw/win32/controls.h"
#include "workbench_window/window_text.h"

namespace {

// A series box's first line: the command's own choice, which differs by job.
const char kSeriesDefault[] = "默认";

// A failed run's status: the command's first message, which says what is
// wrong (the rest say more).
std::string FailureStatus(const command_pages::Outcome& outcome) {
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    return first.empty() ? "失败" : first;
}

}  // namespace

CCommandView::~CCommandView() {
    // The worker writes the page's members until its end.
    worker_.Stop();
    if (fixed_font_) ::DeleteObject(fixed_font_);
}

void CCommandView::UseFixedFont(std::initializer_list<int> ids) {
    if (!fixed_font_) {
        // As high as the page's own font.
        LOGFONTW font = {};
        HFONT page_font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        if (!page_font || !::GetObjectW(page_font, sizeof font, &font)) font.lfHeight = -12;
        LOGFONTW fixed = {};
        fixed.lfHeight = font.lfHeight;
        fixed.lfWeight = FW_NORMAL;
        fixed.lfCharSet = DEFAULT_CHARSET;
        fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        wcscpy(fixed.lfFaceName, L"Courier New");
        fixed_font_ = ::CreateFontIndirectW(&fixed);
    }
    if (!fixed_font_) return;
    for (const int id : ids) ::SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_), FALSE);
}

void CCommandView::FillSeries(int id) {
    CComboBox box(Item(id));
    box.AddString(AfxUtf8ToGbk(kSeriesDefault).c_str());
    for (const std::string& item : command_pages::SeriesNames()) box.AddString(item.c_str());
    box.SetCurSel(0);
}

std::string CCommandView::SeriesChosen(int id) const {
    CComboBox box(Item(id));
    const int chosen = box.GetCurSel();
    return chosen <= 0 ? std::string() : box.GetLBText(chosen);
}

void CCommandView::ShowRun(const command_pages::Outcome& outcome, const std::string& result) {
    SetText(run_.command, outcome.command);
    if (outcome.status != 0) {
        SetText(run_.result, "");
        SetText(run_.status, FailureStatus(outcome));
        return;
    }
    SetText(run_.result, WindowsLines(result));
    if (!outcome.cut) {
        SetText(run_.status, "");
    } else {
        SetText(run_.status, run_.saves ? "输出较长，这里只显示开头；“保存”写出全部。" : "输出较长，这里只显示开头。");
    }
}

void CCommandView::StartShownRun(const std::vector<std::string>& words, bool as_hex) {
    StartRun([words](const command_pages::RunWatch& watch) { return command_pages::RunCommand(words, kShownBytes, watch); },
             [this, as_hex](const command_pages::Outcome& outcome) {
                 ShowRun(outcome, as_hex ? command_pages::HexLines(outcome.out) : outcome.out);
             });
}

void CCommandView::StartRun(RunWork work, RunDone done, bool saving) {
    if (worker_.Running()) return;
    done_ = std::move(done);
    saving_ = saving;
    outcome_ = command_pages::Outcome();
    PageWorker& worker = worker_;
    command_pages::Outcome& outcome = outcome_;
    const bool started = worker_.Start(m_hWnd, [work, &worker, &outcome] {
        command_pages::RunWatch watch;
        watch.cancelled = [&worker] { return worker.Cancelled(); };
        watch.progress = [&worker](std::uint64_t done, std::uint64_t total) { worker.Report(done, total); };
        watch.written = [&worker](std::uint64_t bytes) { worker.ReportWritten(bytes); };
        outcome = work(watch);
    });
    if (!started) {
        SetText(run_.status, "无法启动计算的线程");
        return;
    }
    ::EnableWindow(Item(run_.cancel), TRUE);
    WorkStarted(run_.cancel);
    for (const int id : run_.run_buttons) ::EnableWindow(Item(id), FALSE);
    ShowProgress();
}

bool CCommandView::CancelWork() {
    if (!worker_.Running()) return false;
    worker_.Cancel();
    return true;
}

BOOL CCommandView::OnCommand(WPARAM wparam, LPARAM lparam) {
    if (LOWORD(wparam) == run_.cancel && HIWORD(wparam) == BN_CLICKED) {
        CancelWork();
        return TRUE;
    }
    return CPageView::OnCommand(wparam, lparam);
}

LRESULT CCommandView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case PageWorker::kProgressMessage:
            if (worker_.Running()) ShowProgress();
            return 0;
        case PageWorker::kDoneMessage:
            FinishRun();
            return 0;
        default:
            return CPageView::WindowProc(message, wparam, lparam);
    }
}

// What the worker last said: a share where the amount is known (bytes of
// the file, values drawn and sorted), a save's size as it grows; else only
// that it works.
void CCommandView::ShowProgress() {
    const PageWorker::Progress progress = worker_.Latest();
    std::string status = saving_ ? "正在保存…" : "正在计算…";
    if (progress.total > 0) {
        const std::uint64_t percent = std::min<std::uint64_t>(progress.done, progress.total) * 100 / progress.total;
        status += " 已处理 " + std::to_string(percent) + "%";
    }
    if (saving_ && progress.written > 0) {
        status += " 已写出 " + std::to_string(progress.written >> 20) + " MB";
    }
    SetText(run_.status, status);
}

void CCommandView::FinishRun() {
    if (!worker_.Finish()) return;
    for (const int id : run_.run_buttons) ::EnableWindow(Item(id), TRUE);
    WorkEnded(run_.cancel, run_.run_buttons.front());
    ::EnableWindow(Item(run_.cancel), FALSE);
    const RunDone done = std::move(done_);
    done_ = nullptr;
    if (outcome_.cancelled) {
        SetText(run_.status, "已取消");
        return;
    }
    done(outcome_);
}

void CCommandView::SaveRun(const std::vector<std::string>& words, const std::string& file_name, const char* filter) {
    if (worker_.Running()) return;
    CFileDialog dialog(false, nullptr, AfxUtf8ToGbk(filter).c_str(), m_hWnd);
    dialog.SetFileName(file_name);
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.GetPathName();
    StartRun([words, path](const command_pages::RunWatch& watch) {
                 return command_pages::RunCommandToFile(words, path, watch);
             },
             [this, path](const command_pages::Outcome& outcome) {
                 SetText(run_.command, outcome.command);
                 SetText(run_.status, outcome.status == 0 ? "已保存 " + path : FailureStatus(outcome));
             },
             true);
}
