// 文件->数组: a file, hex or text as a C array, or a C array back to its
// bytes; 保存… writes the whole of it.
#pragma once

#include "res/workbench_resource.h"
#include "workbench_window/views/command_view.h"

class CArrayView : public CCommandView {
public:
    enum { IDD = IDD_PAGE_ARRAY };
    explicit CArrayView(CWorkbenchWindow& host);

    void RunEnter() override { OnRun(); }
    // A file dropped on this page is its source.
    bool OpenDroppedFile(const std::string& utf8_path) override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnBrowse();
    afx_msg void OnRun();
    afx_msg void OnSave();
    DECLARE_MESSAGE_MAP()

private:
    command_pages::ArrayFields FieldsShown() const;
    void UseFile(const std::string& utf8_path);
};
