// 滤波器选型: the parts of a filter for a frequency, and the frequency of
// given parts.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/command_view.h"

class CFilterView : public CCommandView {
public:
    enum { IDD = IDD_PAGE_FILTER };
    explicit CFilterView(CWorkbenchWindow& host);

    // Enter in a part's value asks for the frequency of the parts; elsewhere
    // it chooses parts for the frequency.
    void RunEnter() override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnDesign();
    afx_msg void OnFrequency();
    DECLARE_MESSAGE_MAP()

private:
    command_pages::FilterFields FieldsShown() const;
};
