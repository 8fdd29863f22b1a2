// Printf函数: a format and its arguments as C's printf writes them, with
// the conversions the format takes.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/command_view.h"

class CPrintfView : public CCommandView {
public:
    enum { IDD = IDD_PAGE_PRINTF };
    explicit CPrintfView(CWorkbenchWindow& host);

    void RunEnter() override { OnRun(); }

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnRun();
    DECLARE_MESSAGE_MAP()
};
