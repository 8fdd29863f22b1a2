#include "workbench_window/views/crc_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include <algorithm>
#include <cstdio>

#include "fw/win32/controls.h"
#include "workbench_window/window_text.h"

namespace {

// The progress bar counts thousandths: a large file's bar moves every few
// megabytes, not every few hundred.
constexpr int kProgressEnd = 1000;

const int kParamFields[] = {IDC_CRC_WIDTH, IDC_CRC_POLY, IDC_CRC_INIT, IDC_CRC_REFIN, IDC_CRC_REFOUT, IDC_CRC_XOROUT};

}  // namespace

// ---- The worker --------------------------------------------------------

// One file's CRC, read on the page's worker: what it reads, and what it
// leaves for the page once the worker has ended.
struct CCrcView::FileJob {
    CrcParams params;
    std::string path;
    bool all_models = false;
    std::uint64_t size = 0;
    crc_page::FileOutcome outcome = crc_page::FileOutcome::kFailed;
    Uint128 crc;
    std::vector<crc_page::ModelRow> rows;
    std::string error;

    void Run(PageWorker& worker) {
        const auto progress = [this, &worker](std::uint64_t done) {
            worker.Report(done, size);
            return !worker.Cancelled();
        };
        outcome = all_models ? crc_page::FileAllModels(path, progress, rows, error)
                             : crc_page::FileCrc(params, path, progress, crc, error);
    }
};

// ---- The page ----------------------------------------------------------

BEGIN_MESSAGE_MAP(CCrcView, CPageView)
    ON_COMMAND(IDC_CRC_COMPUTE, OnCompute)
    ON_COMMAND(IDC_CRC_CANCEL, OnCancelRead)
    ON_COMMAND(IDC_CRC_BROWSE, OnBrowse)
    ON_COMMAND(IDC_CRC_EXPORT, OnExport)
    ON_COMMAND(IDC_CRC_ALL, OnAll)
    ON_COMMAND(IDC_CRC_COPY, OnCopy)
    ON_COMMAND(IDC_CRC_COPY_HIGH, OnCopyHigh)
    ON_COMMAND(IDC_CRC_COPY_LOW, OnCopyLow)
END_MESSAGE_MAP()

CCrcView::CCrcView(CWorkbenchWindow& host) : CPageView(IDD, host) {}

// The worker writes the job until its end.
CCrcView::~CCrcView() { StopFileJob(); }

BOOL CCrcView::OnInitDialog() {
    CPageView::OnInitDialog();
    FollowSize({
        {IDC_CRC_MODEL_NOTE, kStretchX},
        {IDC_CRC_PARAM_MSG, kStretchX},
        {IDC_CRC_INPUT, kStretchX},
        {IDC_CRC_FILE, kStretchX},
        {IDC_CRC_BROWSE, kMoveX},
        {IDC_CRC_PROGRESS, kStretchX},
        {IDC_CRC_CANCEL, kMoveX},
        {IDC_CRC_STATUS, kStretchX},
        {IDC_CRC_LIST, kStretchX | kStretchY},
    });
    CComboBox models(Item(IDC_CRC_MODEL));
    for (const std::string& name : crc_page::ModelNames()) models.AddString(name.c_str());
    CListCtrl all(Item(IDC_CRC_LIST));
    all.SetTableStyle();
    all.SetColumns({AfxUtf8ToGbk("模型"), AfxUtf8ToGbk("宽度"), "CRC"}, {140, 40, 100});
    CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetRange(0, kProgressEnd);
    return FALSE;  // the window sets the focus
}

void CCrcView::LoadSettings(const settings::Settings& settings) {
    const crc_page::Lookup model = crc_page::LookUp(settings.model);
    SelectModel(model.model >= 0 ? model.model : crc_page::LookUp("CRC-16/MODBUS").model);
    SetMode(static_cast<crc_page::InputMode>(settings.input_mode));
}

// Parameters of no model (the user's own, or a name that names none) keep
// the last model shown, never the name the file had: that may be damage.
void CCrcView::SaveSettings(settings::Settings& settings) {
    const int model = crc_page::ModelOf([this] {
        CrcParams params;
        return CurrentParams(params) ? params : CrcParams();
    }());
    settings.model = crc_page::ModelNames()[static_cast<size_t>(model >= 0 ? model : last_model_)];
    settings.input_mode = static_cast<int>(Mode());
}

bool CCrcView::OpenDroppedFile(const std::string& utf8_path) {
    SetFile(utf8_path);
    SetMode(crc_page::InputMode::kFile);
    OnCompute();
    return true;
}

LRESULT CCrcView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case PageWorker::kProgressMessage:
            FileProgress();
            return 0;
        case PageWorker::kDoneMessage:
            FinishFileJob();
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_CRC_LIST && header->code == LVN_COLUMNCLICK) {
                const int column = reinterpret_cast<const NMLISTVIEW*>(lparam)->iSubItem;
                sort_ascending_ = column == sort_column_ ? !sort_ascending_ : true;
                sort_column_ = column;
                FillAllModels();
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CPageView::WindowProc(message, wparam, lparam);
}

BOOL CCrcView::OnCommand(WPARAM wparam, LPARAM lparam) {
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if (id == IDC_CRC_MODEL && code == CBN_SELCHANGE) {
        SelectModel(CComboBox(Item(IDC_CRC_MODEL)).GetCurSel());
        return TRUE;
    }
    if (id == IDC_CRC_MODEL && code == CBN_EDITCHANGE) {
        ModelTyped();
        return TRUE;
    }
    if (code == EN_CHANGE) {
        for (const int field : kParamFields) {
            if (id == field) {
                FieldsEdited();
                return TRUE;
            }
        }
        if (id == IDC_CRC_INPUT || id == IDC_CRC_FILE) ClearAllModels();
        if (id == IDC_CRC_FILE && !updating_fields_) SetMode(crc_page::InputMode::kFile);
    }
    if (code == BN_CLICKED &&
        (id == IDC_CRC_MODE_GBK || id == IDC_CRC_MODE_UTF8 || id == IDC_CRC_MODE_HEX || id == IDC_CRC_MODE_FILE)) {
        ClearAllModels();
    }
    return CPageView::OnCommand(wparam, lparam);
}

// ---- The model and its parameters ---------------------------------------

void CCrcView::ShowFields(const CrcParams& params) {
    const crc_page::Fields fields = crc_page::FieldsOf(params);
    updating_fields_ = true;
    SetText(IDC_CRC_WIDTH, fields.width);
    SetText(IDC_CRC_POLY, fields.poly);
    SetText(IDC_CRC_INIT, fields.init);
    SetText(IDC_CRC_REFIN, fields.refin);
    SetText(IDC_CRC_REFOUT, fields.refout);
    SetText(IDC_CRC_XOROUT, fields.xorout);
    SetText(IDC_CRC_CHECK, fields.check);
    SetText(IDC_CRC_RESIDUE, fields.residue);
    SetText(IDC_CRC_PARAM_MSG, "");
    updating_fields_ = false;
}

void CCrcView::SelectModel(int index) {
    const std::vector<std::string> names = crc_page::ModelNames();
    if (index < 0 || static_cast<size_t>(index) >= names.size()) return;
    CComboBox models(Item(IDC_CRC_MODEL));
    if (models.GetCurSel() != index) models.SetCurSel(index);
    ShowFields(crc_page::ParamsOf(index));
    SetModelNote("");
    unresolved_model_.clear();
    last_model_ = index;
}

void CCrcView::ModelTyped() {
    const crc_page::Lookup lookup = crc_page::LookUp(Text(IDC_CRC_MODEL));
    if (lookup.model >= 0) {
        last_model_ = lookup.model;
        ShowFields(crc_page::ParamsOf(lookup.model));
        const std::string name = crc_page::ModelNames()[static_cast<size_t>(lookup.model)];
        SetModelNote(lookup.note.empty() ? name : lookup.note);
        unresolved_model_.clear();
        return;
    }
    SetModelNote(lookup.note);
    unresolved_model_ = lookup.note.substr(0, lookup.note.find('\n'));
}

void CCrcView::SetModelNote(const std::string& utf8) {
    SetText(IDC_CRC_MODEL_NOTE, WindowsLines(utf8));
    HWND note = Item(IDC_CRC_MODEL_NOTE);
    // Lines wrapped without the bar: the bar only narrows them further.
    ::ShowScrollBar(note, SB_VERT, FALSE);
    RECT area = {};
    ::SendMessageW(note, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    HDC dc = ::GetDC(note);
    HGDIOBJ old_font = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(note, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old_font);
    ::ReleaseDC(note, dc);
    const LRESULT lines = ::SendMessageW(note, EM_GETLINECOUNT, 0, 0);
    const LONG fitting = metrics.tmHeight > 0 ? (area.bottom - area.top) / metrics.tmHeight : lines;
    if (lines > fitting) ::ShowScrollBar(note, SB_VERT, TRUE);
}

void CCrcView::FieldsEdited() {
    if (updating_fields_) return;
    // The fields are the user's own now, whatever the model box and its note
    // said.
    unresolved_model_.clear();
    SetModelNote("");
    CrcParams params;
    std::string error;
    if (!crc_page::ReadFields({Text(IDC_CRC_WIDTH), Text(IDC_CRC_POLY), Text(IDC_CRC_INIT), Text(IDC_CRC_REFIN),
                               Text(IDC_CRC_REFOUT), Text(IDC_CRC_XOROUT), "", ""},
                              params, error)) {
        SetText(IDC_CRC_PARAM_MSG, error);
        SetText(IDC_CRC_CHECK, "");
        SetText(IDC_CRC_RESIDUE, "");
        return;
    }
    SetText(IDC_CRC_PARAM_MSG, "");
    const crc_page::Fields shown = crc_page::FieldsOf(params);
    SetText(IDC_CRC_CHECK, shown.check);
    SetText(IDC_CRC_RESIDUE, shown.residue);
    const int model = crc_page::ModelOf(params);
    CComboBox models(Item(IDC_CRC_MODEL));
    if (model >= 0) {
        last_model_ = model;
        models.SetCurSel(model);
    } else {
        models.SetCurSel(-1);
        SetText(IDC_CRC_MODEL, crc_page::kCustomName);
    }
}

bool CCrcView::CurrentParams(CrcParams& params) {
    if (!unresolved_model_.empty()) {
        SetText(IDC_CRC_PARAM_MSG, unresolved_model_);
        return false;
    }
    std::string error;
    if (crc_page::ReadFields({Text(IDC_CRC_WIDTH), Text(IDC_CRC_POLY), Text(IDC_CRC_INIT), Text(IDC_CRC_REFIN),
                              Text(IDC_CRC_REFOUT), Text(IDC_CRC_XOROUT), "", ""},
                             params, error)) {
        return true;
    }
    SetText(IDC_CRC_PARAM_MSG, error);
    return false;
}

// ---- The input -----------------------------------------------------------

crc_page::InputMode CCrcView::Mode() const {
    if (IsChecked(IDC_CRC_MODE_UTF8)) return crc_page::InputMode::kTextUtf8;
    if (IsChecked(IDC_CRC_MODE_HEX)) return crc_page::InputMode::kHex;
    if (IsChecked(IDC_CRC_MODE_FILE)) return crc_page::InputMode::kFile;
    return crc_page::InputMode::kTextGbk;
}

void CCrcView::SetMode(crc_page::InputMode mode) {
    Check(IDC_CRC_MODE_GBK, mode == crc_page::InputMode::kTextGbk);
    Check(IDC_CRC_MODE_UTF8, mode == crc_page::InputMode::kTextUtf8);
    Check(IDC_CRC_MODE_HEX, mode == crc_page::InputMode::kHex);
    Check(IDC_CRC_MODE_FILE, mode == crc_page::InputMode::kFile);
}

void CCrcView::ShowAnswer(const crc_page::Answer& answer) {
    SetText(IDC_CRC_RESULT, answer.number);
    SetText(IDC_CRC_HIGH, answer.high_first);
    SetText(IDC_CRC_LOW, answer.low_first);
}

void CCrcView::ClearAnswer() { ShowAnswer({}); }

void CCrcView::ShowStatus(const std::string& utf8) { SetText(IDC_CRC_STATUS, WindowsLines(utf8)); }

void CCrcView::SetFile(const std::string& utf8_path) {
    updating_fields_ = true;
    SetText(IDC_CRC_FILE, utf8_path);
    updating_fields_ = false;
}

// The file chosen, dropped or typed: the box holds its full Unicode name.
std::string CCrcView::FilePath() const { return Text(IDC_CRC_FILE); }

// ---- The buttons ---------------------------------------------------------

void CCrcView::OnCompute() {
    if (computing_) return;
    CrcParams params;
    if (!CurrentParams(params)) {
        ClearAnswer();
        ShowStatus("");
        return;
    }
    ShowStatus("");
    const crc_page::InputMode mode = Mode();
    if (mode == crc_page::InputMode::kFile) {
        const std::string path = FilePath();
        if (path.empty()) {
            ShowStatus("请选择文件");
            return;
        }
        StartFileJob(params, path, false);
        return;
    }
    std::string bytes, error;
    if (!crc_page::InputBytes(mode, Text(IDC_CRC_INPUT), bytes, error)) {
        ClearAnswer();
        ShowStatus(error);
        return;
    }
    ShowAnswer(crc_page::Compute(params, bytes));
}

void CCrcView::StartFileJob(const CrcParams& params, const std::string& path, bool all_models) {
    if (worker_.Running()) return;
    job_.reset(new FileJob);
    job_->params = params;
    job_->path = path;
    job_->all_models = all_models;
    job_->size = crc_page::FileSizeOf(path);
    // The worker first, and the controls while it reads: under Wine they
    // took 2-4 ms, a few per cent of a gigabyte. What it posts waits until
    // this returns.
    FileJob& job = *job_;
    PageWorker& worker = worker_;
    if (!worker_.Start(m_hWnd, [&job, &worker] { job.Run(worker); })) {
        job_.reset();
        ShowStatus("无法启动读取文件的线程");
        return;
    }
    computing_ = true;
    ClearAnswer();
    CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetPos(0);
    ::EnableWindow(Item(IDC_CRC_CANCEL), TRUE);
    WorkStarted(IDC_CRC_CANCEL);
    ::EnableWindow(Item(IDC_CRC_COMPUTE), FALSE);
    ::EnableWindow(Item(IDC_CRC_ALL), FALSE);
    ShowStatus("正在读取 " + path);
}

void CCrcView::FileProgress() {
    if (!job_ || !worker_.Running()) return;
    const PageWorker::Progress progress = worker_.Latest();
    const int thousandths = progress.total == 0
                                ? kProgressEnd
                                : static_cast<int>(std::min(progress.done, progress.total) * kProgressEnd / progress.total);
    CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetPos(thousandths);
}

void CCrcView::FinishFileJob() {
    if (!job_ || !worker_.Finish()) return;
    const std::unique_ptr<FileJob> job = std::move(job_);
    computing_ = false;
    ::EnableWindow(Item(IDC_CRC_COMPUTE), TRUE);
    ::EnableWindow(Item(IDC_CRC_ALL), TRUE);
    WorkEnded(IDC_CRC_CANCEL, IDC_CRC_COMPUTE);
    ::EnableWindow(Item(IDC_CRC_CANCEL), FALSE);
    switch (job->outcome) {
        case crc_page::FileOutcome::kDone:
            CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetPos(kProgressEnd);
            if (job->all_models) {
                all_rows_ = job->rows;
                FillAllModels();
            } else {
                ShowAnswer(crc_page::AnswerOf(job->crc, job->params.width));
            }
            ShowStatus(job->path);
            break;
        case crc_page::FileOutcome::kCancelled:
            CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetPos(0);
            ShowStatus("已取消：" + job->path);
            break;
        case crc_page::FileOutcome::kFailed:
            CProgressCtrl(Item(IDC_CRC_PROGRESS)).SetPos(0);
            ShowStatus("读取失败：" + job->error);
            break;
    }
}

// Waits for a running worker after telling it to stop: it stops within a
// block, and it only posts to the page, so it never waits for it.
void CCrcView::StopFileJob() {
    worker_.Stop();
    job_.reset();
    computing_ = false;
}

void CCrcView::OnCancelRead() { CancelWork(); }

bool CCrcView::CancelWork() {
    if (!worker_.Running()) return false;
    worker_.Cancel();
    return true;
}

void CCrcView::OnBrowse() {
    CFileDialog dialog(true, nullptr, AfxUtf8ToGbk("所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    SetFile(dialog.GetPathName());
    SetMode(crc_page::InputMode::kFile);
}

void CCrcView::OnExport() {
    CrcParams params;
    if (!CurrentParams(params)) return;
    const int model = crc_page::ModelOf(params);
    std::string name = model >= 0 ? crc_page::ModelNames()[static_cast<size_t>(model)] : "crc";
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    CFileDialog dialog(false, "c", AfxUtf8ToGbk("C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    dialog.SetFileName(name + ".c");
    if (dialog.DoModal() != IDOK) return;
    if (!WriteSmallFile(dialog.GetPathName(), crc_page::CSource(params, model))) {
        ShowStatus("无法写入 " + dialog.GetPathName());
        return;
    }
    ShowStatus("已导出 " + dialog.GetPathName());
}

void CCrcView::OnAll() {
    std::string bytes, error;
    const crc_page::InputMode mode = Mode();
    if (mode == crc_page::InputMode::kFile) {
        if (computing_) return;
        const std::string path = FilePath();
        if (path.empty()) {
            ShowStatus("请选择文件");
            return;
        }
        StartFileJob(CrcParams(), path, true);
        return;
    }
    if (!crc_page::InputBytes(mode, Text(IDC_CRC_INPUT), bytes, error)) {
        ShowStatus(error);
        return;
    }
    all_rows_ = crc_page::AllModels(bytes);
    FillAllModels();
}

void CCrcView::FillAllModels() {
    if (sort_column_ >= 0) {
        const crc_page::Column columns[] = {crc_page::Column::kName, crc_page::Column::kWidth, crc_page::Column::kCrc};
        crc_page::SortRows(all_rows_, columns[sort_column_ % 3], sort_ascending_);
    }
    std::vector<std::vector<std::string>> rows;
    for (const crc_page::ModelRow& row : all_rows_) rows.push_back({row.name, std::to_string(row.width), row.crc});
    CListCtrl(Item(IDC_CRC_LIST)).SetRows(rows);
}

void CCrcView::ClearAllModels() {
    all_rows_.clear();
    CListCtrl(Item(IDC_CRC_LIST)).DeleteAllItems();
}

// Nothing to copy leaves the clipboard as it was.
void CCrcView::Copy(int id) {
    const std::string text = Text(id);
    if (text.empty()) return;
    AfxSetClipboardText(m_hWnd, text);
}

void CCrcView::OnCopy() { Copy(IDC_CRC_RESULT); }
void CCrcView::OnCopyHigh() { Copy(IDC_CRC_HIGH); }
void CCrcView::OnCopyLow() { Copy(IDC_CRC_LOW); }
