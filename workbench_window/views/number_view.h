// 数值: bytes read as every number type in every byte order, and a value
// written as bytes.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/page_view.h"

class CNumberView : public CPageView {
public:
    enum { IDD = IDD_PAGE_NUMBERS };
    explicit CNumberView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

    // Enter in the value or its type writes the value as bytes; elsewhere
    // it reads the bytes.
    void RunEnter() override;
    // Reads `hex` as numbers, as if typed and 转换 pressed.
    void ShowBytes(const std::string& hex);

protected:
    BOOL OnInitDialog() override;
    int StatusId() const override { return IDC_NUM_MSG; }
    afx_msg void OnNumbers();
    afx_msg void OnBytes();
    DECLARE_MESSAGE_MAP()
};
