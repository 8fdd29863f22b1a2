// 元件值选型: the nearest standard value, a part's marking and its decoding,
// and a divider of two resistors.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/command_view.h"

class CPartsView : public CCommandView {
public:
    enum { IDD = IDD_PAGE_PARTS };
    explicit CPartsView(CWorkbenchWindow& host);

    // Enter runs the job of the field's row: the marking's tolerance and
    // temperature, the code, the divider's values; the value's otherwise.
    void RunEnter() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnNearest();
    afx_msg void OnMark();
    afx_msg void OnDecode();
    afx_msg void OnDivider();
    DECLARE_MESSAGE_MAP()

private:
    command_pages::PartsFields FieldsShown() const;
    void Run(command_pages::PartsJob job);
};
