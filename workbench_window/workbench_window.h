// CWorkbenchWindow: the workbench in a window, QuobrixWorkbench.exe. The
// host of its pages: the tabs, one page below them at a time (each page a
// child dialog of its own, views/*_view.cpp, over its logic in pages/), the
// window's size and place, the keys that switch pages, dropped files, and
// the hand-off from one page to another.
//
// A new page is one row of the page table (workbench_window.cpp), one
// template in res/workbench.rc and one view file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fw/afxwin.h"
#include "res/workbench_resource.h"
#include "workbench_window/pages/frame_page.h"
#include "workbench_window/pages/settings.h"
#include "workbench_window/views/page_view.h"

class CWorkbenchWindow : public CDialog {
public:
    CWorkbenchWindow();
    ~CWorkbenchWindow() override;

    enum { IDD = IDD_WORKBENCH };

    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Ctrl+Tab and Ctrl+Shift+Tab, seen before the dialog manager takes Tab.
    bool SwitchPageKey(bool backwards);
    // Esc, seen before the dialog manager: it cancels the shown page's run,
    // if there is one (then true), before it closes the window.
    bool CancelKey();
    // Shows `form` on the 帧 page, and that page; with `verify`, its frame
    // verified.
    void OpenInFramePage(const frame_page::Form& form, bool verify = false);
    // Frames (hex, one a line) identified on the 校验识别 page; bytes read as
    // numbers on the 数值 page; and that page.
    void OpenInFindPage(const std::string& frames);
    void OpenInNumberPage(const std::string& hex);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowPage(int page);
    // The page's view, its window made first if the page was never shown.
    CPageView& MadePage(int page);
    void Layout();
    void LoadSettings();
    void SaveSettings();

    std::vector<std::unique_ptr<CPageView>> views_;  // in the order of the tabs
    int page_ = 0;
    HICON icon_ = nullptr;
    SIZE min_size_ = {0, 0};
    SIZE start_client_ = {0, 0};
    RECT tabs_start_ = {0, 0, 0, 0};
    int page_top_ = 0;  // where the pages begin, in pixels
    settings::Settings settings_;
    std::string ini_path_;  // UTF-8, "" when there is no place for it
};
