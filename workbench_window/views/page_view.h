// CPageView: one page of the workbench window, a child dialog of its own
// template under the window's tabs (views/*_view.cpp), made when its tab is
// first shown (until then only the object exists). A page holds its
// controls, follows the window's size, runs its own work and answers the few
// questions the window (CWorkbenchWindow, the host) asks of every page.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "fw/afxwin.h"
#include "workbench_window/pages/settings.h"

class CWorkbenchWindow;

class CPageView : public CDialog {
public:
    CPageView(UINT template_id, CWorkbenchWindow& host) : CDialog(template_id), host_(host) {}

    // Enter on the page: the action of the field that has the focus, or the
    // page's main one.
    virtual void RunEnter() {}
    // A file dropped on the window while this page is shown; false when the
    // page takes no files (the window gives it to the CRC page).
    virtual bool OpenDroppedFile(const std::string& /*utf8_path*/) { return false; }
    // The page comes into view (at start, too, when it is the page shown):
    // the place for work a page puts off until it is first seen.
    virtual void PageShown() {}
    // The page's part of the settings file: given when the page's window is
    // made, asked for at the close only of a page that was made.
    virtual void LoadSettings(const settings::Settings& /*settings*/) {}
    virtual void SaveSettings(settings::Settings& /*settings*/) {}
    // The window closes: a worker still running is stopped and waited for.
    virtual void StopWork() {}
    // Esc on the page: a run under way is told to stop (its end comes as
    // usual); false when there is none, and Esc closes the window.
    virtual bool CancelWork() { return false; }

    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    // Lifts the multi-line boxes' limit of 30 000 characters, which cut a
    // long paste without a word; a page's own OnInitDialog calls it first.
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    // The control a page says what went wrong in.
    virtual int StatusId() const = 0;

    // How a control follows the page's size: wider and taller with it, or
    // moved right or down by as much as it grew.
    enum : unsigned { kStretchX = 1, kStretchY = 2, kMoveX = 4, kMoveY = 8 };
    struct AnchorRule {
        int id;
        unsigned flags;
    };
    // Notes where the controls of `rules` sit in the template's size; called
    // once, from OnInitDialog.
    void FollowSize(std::initializer_list<AnchorRule> rules);

    // Enter and Esc reach the window, which owns them; a page passes on what
    // reaches it.
    void OnOK() override;
    void OnCancel() override;

    // Texts of the controls, in UTF-8.
    std::string Text(int id) const;
    void SetText(int id, const std::string& utf8);
    bool IsChecked(int id) const;
    void Check(int id, bool checked);
    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // The id of the control with the focus, or 0 when it is elsewhere (a
    // combo box's edit box counts as the box).
    int FocusedId() const;
    // A run begins: the focus, if on this page, moves to its 取消 (the button
    // that started the run is about to be disabled, and would take the
    // keyboard with it), and WorkEnded puts it back.
    void WorkStarted(int cancel_id);
    void WorkEnded(int cancel_id, int fallback_id);

    CWorkbenchWindow& host_;

private:
    // The lists' keys and menu: Ctrl+C and 复制 copy the selected rows,
    // Ctrl+A and 全选 select them all.
    void CopyRows(HWND list);
    void ListMenu(HWND list, LPARAM at);

    struct Anchor {
        HWND control;
        RECT start;  // in the page at the first layout
        unsigned flags;
    };
    void Layout();

    HWND focus_before_work_ = nullptr;
    SIZE start_client_ = {0, 0};
    std::vector<Anchor> anchors_;
};

// What a multi-line box takes at most, in characters: far beyond any paste
// a page is made for (a 1 MB frame in hex is 3 million), short of what
// would exhaust the window's memory. A longer input is cut, and the page
// says so.
constexpr int kInputLimit = 64 * 1024 * 1024;

// A library's lines (LF) joined for a control (CR LF).
std::string JoinedLines(const std::vector<std::string>& lines);
