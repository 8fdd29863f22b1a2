// PageWorker: a page's long work on a thread of its own, so that the window
// answers while it runs (other pages, Ctrl+Tab, 取消). The page starts it,
// may tell it to stop, and hears of its progress and its end by messages
// posted to the page, never sent, so that the page can wait for the thread
// without either waiting for the other.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "fw/afxwin.h"

class PageWorker {
public:
    // Posted to the page: how far the work has come (Progress()), and its
    // end (then Finish()).
    static constexpr UINT kProgressMessage = WM_APP + 10;
    static constexpr UINT kDoneMessage = WM_APP + 11;

    struct Progress {
        std::uint64_t done = 0, total = 0;  // total 0: not known
        std::uint64_t written = 0;          // bytes of output so far
    };

    PageWorker() = default;
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;
    ~PageWorker() { Stop(); }

    // Runs `work` on a new thread for the page `page`; false when no thread
    // could be made. What `work` leaves for the page is the page's to read
    // after Finish().
    bool Start(HWND page, std::function<void()> work);
    bool Running() const { return thread_ != nullptr; }

    // From the page: the work is to stop at its next question.
    void Cancel() { cancel_ = true; }
    // From the work: whether it is to stop.
    bool Cancelled() const { return cancel_.load(); }
    // From the work: how far it has come. At most one report waits in the
    // page's queue, and they come no oftener than a repaint is worth.
    void Report(std::uint64_t done, std::uint64_t total);
    void ReportWritten(std::uint64_t bytes);

    // On kProgressMessage: the latest report, and room for the next.
    Progress Latest();
    // On kDoneMessage: waits for the thread's end; false when none ran (a
    // late message after Stop()).
    bool Finish();
    // The window closes: the work is told to stop and waited for.
    void Stop();

private:
    static DWORD WINAPI Run(void* context);
    void Post();

    HWND page_ = nullptr;
    HANDLE thread_ = nullptr;
    std::function<void()> work_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::uint64_t> done_{0}, total_{0}, written_{0};
    std::atomic<bool> report_waiting_{false};
    ULONGLONG last_post_ = 0;  // the worker's own
};
