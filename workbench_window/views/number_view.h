// 数值: bytes read as every number type in every byte order, and a value
// written as bytes.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/page_view.h"

class CNumberView : public CPageView {
public:
    enum { IDD = IDD_PAGE_NUMBERS };
    explicit CNumberView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

    void RunEnter() override { OnNumbers(); }

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnNumbers();
    afx_msg void OnBytes();
    DECLARE_MESSAGE_MAP()
};
