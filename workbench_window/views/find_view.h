// 校验识别: which checks explain a set of frames, searched on the page's
// worker thread (recovering an unknown CRC may take minutes); a row
// double-clicked opens its first frame on the 帧 page.
#pragma once

#include <string>

#include "res/workbench_resource.h"
#include "workbench_window/pages/find_page.h"
#include "workbench_window/views/page_view.h"
#include "workbench_window/views/page_worker.h"

class CFindView : public CPageView {
public:
    enum { IDD = IDD_PAGE_FIND };
    explicit CFindView(CWorkbenchWindow& host);
    ~CFindView() override;

    void RunEnter() override { OnFind(); }
    void StopWork() override { worker_.Stop(); }
    bool CancelWork() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Takes `frames` (hex, one a line) and identifies them, unless a
    // search is under way, which keeps its frames.
    void ShowFrames(const std::string& frames);

protected:
    BOOL OnInitDialog() override;
    int StatusId() const override { return IDC_FIND_NOTES; }
    afx_msg void OnFind();
    afx_msg void OnCancelFind();
    DECLARE_MESSAGE_MAP()

private:
    void FinishFind();
    void OpenRowInFramePage(int row);

    PageWorker worker_;
    // Written by the worker: the note before a long recovery (posted as
    // kFindNote), and the answer, read once the worker has ended.
    std::string note_;
    find_page::Answer answer_;
    find_page::Answer found_;
};
