// 帧: a frame built with its check, or a frame's check verified; the page a
// row of 校验识别 opens its frame in.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/pages/frame_page.h"
#include "workbench_window/views/page_view.h"

class CFrameView : public CPageView {
public:
    enum { IDD = IDD_PAGE_FRAME };
    explicit CFrameView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

    void RunEnter() override { OnBuild(); }
    // Fills the page with `form`, no answer yet.
    void ShowForm(const frame_page::Form& form);
    // Fills the page with `form` and verifies its frame at once.
    void VerifyForm(const frame_page::Form& form) {
        ShowForm(form);
        OnVerify();
    }

protected:
    BOOL OnInitDialog() override;
    int StatusId() const override { return IDC_FRAME_NOTES; }
    afx_msg void OnBuild();
    afx_msg void OnVerify();
    DECLARE_MESSAGE_MAP()

private:
    frame_page::Form FormShown() const;
    void ShowAnswer(const frame_page::Answer& answer);
};
