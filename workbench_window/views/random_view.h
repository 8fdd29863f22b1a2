// 随机数集合: a set of random integers, floats or bytes, as a list or a C
// array; 保存… writes the whole of it.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/command_view.h"

class CRandomView : public CCommandView {
public:
    enum { IDD = IDD_PAGE_RANDOM };
    explicit CRandomView(CWorkbenchWindow& host);

    void RunEnter() override { OnRun(); }

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnRun();
    afx_msg void OnSave();
    DECLARE_MESSAGE_MAP()

private:
    command_pages::RandomFields FieldsShown() const;
};
