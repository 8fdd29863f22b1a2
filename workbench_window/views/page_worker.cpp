#include "workbench_window/views/page_worker.h"

namespace {

// Each report is a message and a repaint on the window's thread; a fast
// read would otherwise post thousands a second and slow the window's
// answers to the user.
constexpr ULONGLONG kReportIntervalMs = 40;

}  // namespace

bool PageWorker::Start(HWND page, std::function<void()> work) {
    if (thread_) return false;
    page_ = page;
    work_ = std::move(work);
    cancel_ = false;
    done_ = total_ = written_ = 0;
    report_waiting_ = false;
    last_post_ = 0;
    thread_ = ::CreateThread(nullptr, 0, &PageWorker::Run, this, 0, nullptr);
    return thread_ != nullptr;
}

DWORD WINAPI PageWorker::Run(void* context) {
    PageWorker& worker = *static_cast<PageWorker*>(context);
    worker.work_();
    ::PostMessageW(worker.page_, kDoneMessage, 0, 0);
    return 0;
}

void PageWorker::Report(std::uint64_t done, std::uint64_t total) {
    done_ = done;
    total_ = total;
    Post();
}

void PageWorker::ReportWritten(std::uint64_t bytes) {
    written_ = bytes;
    Post();
}

void PageWorker::Post() {
    const ULONGLONG now = ::GetTickCount64();
    if (report_waiting_.load() || now - last_post_ < kReportIntervalMs) return;
    last_post_ = now;
    report_waiting_ = true;
    ::PostMessageW(page_, kProgressMessage, 0, 0);
}

PageWorker::Progress PageWorker::Latest() {
    report_waiting_ = false;
    Progress progress;
    progress.done = done_.load();
    progress.total = total_.load();
    progress.written = written_.load();
    return progress;
}

bool PageWorker::Finish() {
    if (!thread_) return false;
    ::WaitForSingleObject(thread_, INFINITE);
    ::CloseHandle(thread_);
    thread_ = nullptr;
    work_ = nullptr;
    return true;
}

void PageWorker::Stop() {
    Cancel();
    Finish();
}
