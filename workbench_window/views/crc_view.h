// CRC 计算: a CRC of text, hex or a file under a model of the catalogue or
// the user's own parameters; every model's CRC of the input (全部模型); a
// model as C source. Files are read on the page's worker thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "res/workbench_resource.h"
#include "workbench_window/pages/crc_page.h"
#include "workbench_window/views/page_view.h"
#include "workbench_window/views/page_worker.h"

class CCrcView : public CPageView {
public:
    enum { IDD = IDD_PAGE_CRC };
    explicit CCrcView(CWorkbenchWindow& host);
    ~CCrcView() override;

    void RunEnter() override { OnCompute(); }
    bool OpenDroppedFile(const std::string& utf8_path) override;
    void LoadSettings(const settings::Settings& settings) override;
    void SaveSettings(settings::Settings& settings) override;
    void StopWork() override { StopFileJob(); }
    bool CancelWork() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    int StatusId() const override { return IDC_CRC_STATUS; }

    afx_msg void OnCompute();
    afx_msg void OnCancelRead();
    afx_msg void OnBrowse();
    afx_msg void OnExport();
    afx_msg void OnAll();
    afx_msg void OnCopy();
    afx_msg void OnCopyHigh();
    afx_msg void OnCopyLow();

    DECLARE_MESSAGE_MAP()

private:
    struct FileJob;

    void SelectModel(int index);
    void ModelTyped();
    void FieldsEdited();
    void ShowFields(const CrcParams& params);
    bool CurrentParams(CrcParams& params);
    // The model box's note, with a scroll bar when it holds more lines than
    // its two.
    void SetModelNote(const std::string& utf8);
    crc_page::InputMode Mode() const;
    void SetMode(crc_page::InputMode mode);
    void ShowAnswer(const crc_page::Answer& answer);
    void ClearAnswer();
    void ShowStatus(const std::string& utf8);
    void SetFile(const std::string& utf8_path);
    std::string FilePath() const;
    // The CRC of a file under the model, or with `all_models` under every
    // model (全部模型).
    void StartFileJob(const CrcParams& params, const std::string& path, bool all_models);
    void FinishFileJob();
    void StopFileJob();
    void FileProgress();
    void FillAllModels();
    // The 全部模型 list of an input no longer shown: emptied, not left to
    // pass for the new input's.
    void ClearAllModels();
    void Copy(int id);

    bool updating_fields_ = false;
    // What the command line says of the name in the model box when it names
    // no one model (CCITT, a name no model has), in its words; "" while the
    // box names one, or the fields are the user's own. The fields still show
    // the last model, so nothing is computed from them until this is "".
    std::string unresolved_model_;
    int last_model_ = 0;  // the last model the fields showed
    bool computing_ = false;
    PageWorker worker_;
    std::unique_ptr<FileJob> job_;  // the worker's while it runs
    std::vector<crc_page::ModelRow> all_rows_;
    int sort_column_ = -1;
    bool sort_ascending_ = true;
};
