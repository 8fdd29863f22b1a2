// CWorkbenchWindow: the workbench in a window, QuobrixWorkbench.exe. A thin
// layer over the pages' logic (pages/): it copies what the controls hold
// into the pages' calls and their answers back into the controls, shows one
// page's controls at a time under the tabs, keeps the controls in step with
// the window's size, and reads files on a worker thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "fw/afxwin.h"
#include "res/workbench_resource.h"
#include "workbench_window/pages/command_pages.h"
#include "workbench_window/pages/crc_page.h"
#include "workbench_window/pages/find_page.h"
#include "workbench_window/pages/settings.h"

// The controls a page of one command shows its run in.
struct CommandPageControls {
    int command, result, status;
};

class CWorkbenchWindow : public CDialog {
public:
    CWorkbenchWindow();
    ~CWorkbenchWindow() override;

    enum { IDD = IDD_WORKBENCH };

    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Ctrl+Tab and Ctrl+Shift+Tab, seen before the dialog manager takes Tab.
    bool SwitchPageKey(bool backwards);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;

    // The buttons.
    afx_msg void OnCrcCompute();
    afx_msg void OnCrcCancel();
    afx_msg void OnCrcBrowse();
    afx_msg void OnCrcExport();
    afx_msg void OnCrcAll();
    afx_msg void OnCrcCopy();
    afx_msg void OnCrcCopyHigh();
    afx_msg void OnCrcCopyLow();
    afx_msg void OnCrcMode();
    afx_msg void OnFind();
    afx_msg void OnFindCancel();
    afx_msg void OnFrameBuild();
    afx_msg void OnFrameVerify();
    afx_msg void OnNumbers();
    afx_msg void OnNumberBytes();
    afx_msg void OnArrayBrowse();
    afx_msg void OnArrayRun();
    afx_msg void OnArraySave();
    afx_msg void OnPartsNearest();
    afx_msg void OnPartsMark();
    afx_msg void OnPartsDecode();
    afx_msg void OnPartsDivider();
    afx_msg void OnFilterDesign();
    afx_msg void OnFilterFrequency();
    afx_msg void OnPrintf();
    afx_msg void OnRandomRun();
    afx_msg void OnRandomSave();

    DECLARE_MESSAGE_MAP()

private:
    struct FileJob;
    struct FindJob;
    struct Anchor {
        HWND control;
        RECT start;  // in the client area at the first layout
        unsigned flags;
    };

    // Texts of the controls, in UTF-8.
    std::string Text(int id) const;
    void SetText(int id, const std::string& utf8);
    bool IsChecked(int id) const;
    void Check(int id, bool checked);

    // The model box's note, with a scroll bar when it holds more lines than
    // its two.
    void SetModelNote(const std::string& utf8);
    void ShowPage(int page);
    // The controls of page `page` (0 to kPages - 1), labels included.
    const std::vector<HWND>& PageControls(int page);
    int Page() const { return page_; }
    void Layout();
    void LoadSettings();
    void SaveSettings();

    // The CRC page.
    void SelectModel(int index);
    void ModelTyped();
    void FieldsEdited();
    void ShowFields(const CrcParams& params);
    bool CurrentParams(CrcParams& params);
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
    void FileProgress(int percent);
    void FillAllModels();
    void Copy(int id);

    // The find page: the search on a worker thread, its list, and the frame
    // page filled from a row of it.
    void FinishFindJob();
    void StopFindJob();
    void OpenRowInFramePage(int row);

    // The pages of one command each (command_pages_window.cpp): the
    // fields as the page's logic takes them, a run shown in the page's
    // command line, result and status, and a run saved to a file.
    void InitCommandPages();
    command_pages::ArrayFields ArrayFieldsShown() const;
    command_pages::PartsFields PartsFieldsShown() const;
    void RunParts(command_pages::PartsJob job);
    command_pages::FilterFields FilterFieldsShown() const;
    command_pages::RandomFields RandomFieldsShown() const;
    std::string SeriesChosen(int id) const;
    void ShowRun(const CommandPageControls& page, const command_pages::Outcome& outcome, const std::string& result);
    void SaveRun(const CommandPageControls& page, const std::vector<std::string>& words, const std::string& file_name,
                 const char* filter);

    HFONT fixed_font_ = nullptr;  // the command pages' results: their columns line up

    int page_ = 0;
    bool updating_fields_ = false;
    // What the command line says of the name in the model box when it names
    // no one model (CCITT, a name no model has), in its words; "" while the
    // box names one, or the fields are the user's own. The fields still show
    // the last model, so nothing is computed from them until this is "".
    std::string unresolved_model_;
    bool computing_ = false;
    HICON icon_ = nullptr;
    SIZE min_size_ = {0, 0};
    SIZE start_client_ = {0, 0};
    std::vector<Anchor> anchors_;
    // Each page's controls, found once: under Wine each GetDlgItem asks the
    // server, and a page's switch asked it some seven hundred times.
    std::vector<HWND> page_controls_[settings::kPages];
    settings::Settings settings_;
    std::string ini_path_;  // UTF-8, "" when there is no place for it
    std::string file_path_;  // the file chosen or dropped, UTF-8
    std::string file_shown_;  // as the file box showed it then, GBK
    std::unique_ptr<FileJob> job_;
    std::unique_ptr<FindJob> find_job_;
    std::vector<crc_page::ModelRow> all_rows_;
    int sort_column_ = -1;
    bool sort_ascending_ = true;
    find_page::Answer found_;
};
