// A page whose worker thread holds a link open (串口助手, Modbus): Enter
// acts on the link while it is open and opens it otherwise, Esc closes it
// rather than the window, the ports are listed when the page is first shown
// (asking Windows for them costs the window's start), and the worker's word
// on the link reaches the status line as it goes, its last word when it
// ends. Also the few things both pages' lists and combo boxes need in
// UTF-16, so that ✔ and ✘ show.
#pragma once

#include <mutex>
#include <string>

#include "workbench_window/views/page_view.h"
#include "workbench_window/views/page_worker.h"

class CLinkPageView : public CPageView {
public:
    void RunEnter() override;
    void StopWork() override;
    bool CancelWork() override;
    void PageShown() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    CLinkPageView(UINT idd, CWorkbenchWindow& host) : CPageView(idd, host) {}

    // The page's own: open the link (打开, 开始), act on it while it is open
    // (send, write), list the ports, take what the worker handed over, and
    // enable what the state allows.
    virtual void OpenLink() = 0;
    virtual void ActOnLink() = 0;
    virtual void ListPorts() = 0;
    virtual void TakeEvents() = 0;
    virtual void EnableForState() = 0;
    // After the worker's end and its last events.
    virtual void LinkEnded() {}

    // From the worker: its word on the link, shown as soon as the window
    // can; its last word, shown when it has ended.
    void PostStatus(const std::string& status);
    void SetLastWord(const std::string& status);

    // Derived pages stop it in their destructors: it reads their members.
    PageWorker worker_;

private:
    std::string Word();

    std::mutex status_mutex_;
    std::string status_;
    bool ports_listed_ = false;
};

// The time of day in milliseconds, as the traffic's rows show it.
long long MsOfDay();
void AddWideString(HWND combo, const std::string& utf8);
int Selection(HWND combo);
// A row's cell; `insert` makes the row (column 0 only).
void SetCell(HWND list, int row, int column, const std::string& utf8, bool insert);
// The width of `utf8` in the list's font, in pixels.
int TextWidth(HWND list, const std::string& utf8);
