// The workbench window's pages of one command each: 文件->数组, 元件值选型,
// 滤波器选型, Printf函数 and 随机数集合. Each button turns the page's fields
// into its command's words (pages/command_pages.h), runs them and shows the
// command line it ran, the answer and the command's messages.
#include <cwchar>

#include "fw/win32/controls.h"
#include "workbench_window/window_text.h"
#include "workbench_window/workbench_window.h"

namespace {

using namespace command_pages;

// What an edit box is given at most: a page shows the first of a long
// output, and its 保存 button writes all of it.
constexpr std::size_t kShownBytes = 256 * 1024;

const std::vector<std::string> kArrayTypes = {"u8", "u16le", "u16be", "u32le", "u32be"};
// A series box's first line: the command's own choice, which differs by job.
const char kSeriesDefault[] = "默认";

const CommandPageControls kArrayPage = {IDC_ARR_COMMAND, IDC_ARR_RESULT, IDC_ARR_STATUS};
const CommandPageControls kPartsPage = {IDC_PARTS_COMMAND, IDC_PARTS_RESULT, IDC_PARTS_STATUS};
const CommandPageControls kFilterPage = {IDC_FLT_COMMAND, IDC_FLT_RESULT, IDC_FLT_STATUS};
const CommandPageControls kPrintfPage = {IDC_PF_COMMAND, IDC_PF_RESULT, IDC_PF_STATUS};
const CommandPageControls kRandomPage = {IDC_RND_COMMAND, IDC_RND_RESULT, IDC_RND_STATUS};

// A failed run's status: the command's first message, which says what is
// wrong (the rest say more).
std::string FailureStatus(const Outcome& outcome) {
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    return first.empty() ? "失败" : first;
}

void FillCombo(HWND combo, const std::vector<std::string>& items, bool with_default) {
    CComboBox box(combo);
    if (with_default) box.AddString(AfxUtf8ToGbk(kSeriesDefault).c_str());
    for (const std::string& item : items) box.AddString(item.c_str());
    box.SetCurSel(0);
}

}  // namespace

void CWorkbenchWindow::InitCommandPages() {
    // The commands write tables in columns of characters: a font of one
    // width, as high as the window's.
    LOGFONTW font = {};
    HFONT window_font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (!window_font || !::GetObjectW(window_font, sizeof font, &font)) font.lfHeight = -12;
    LOGFONTW fixed = {};
    fixed.lfHeight = font.lfHeight;
    fixed.lfWeight = FW_NORMAL;
    fixed.lfCharSet = DEFAULT_CHARSET;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy(fixed.lfFaceName, L"Courier New");
    fixed_font_ = ::CreateFontIndirectW(&fixed);
    for (const int id : {IDC_ARR_COMMAND, IDC_ARR_RESULT, IDC_PARTS_COMMAND, IDC_PARTS_RESULT, IDC_FLT_COMMAND,
                         IDC_FLT_RESULT, IDC_PF_COMMAND, IDC_PF_RESULT, IDC_PF_TABLE, IDC_RND_COMMAND, IDC_RND_RESULT}) {
        if (fixed_font_) ::SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_), FALSE);
    }

    FillCombo(::GetDlgItem(m_hWnd, IDC_ARR_TYPE), kArrayTypes, false);
    Check(IDC_ARR_SRC_FILE, true);

    Check(IDC_PARTS_RESISTOR, true);
    for (const int id : {IDC_PARTS_SERIES, IDC_FLT_R_SERIES, IDC_FLT_C_SERIES, IDC_FLT_L_SERIES}) {
        FillCombo(::GetDlgItem(m_hWnd, id), SeriesNames(), true);
    }
    Check(IDC_FLT_RC_LOW, true);

    Check(IDC_RND_INT, true);
    SetText(IDC_RND_COUNT, "10");
    SetText(IDC_RND_LOW, "1");
    SetText(IDC_RND_HIGH, "6");
}

std::string CWorkbenchWindow::SeriesChosen(int id) const {
    CComboBox box(::GetDlgItem(m_hWnd, id));
    const int chosen = box.GetCurSel();
    return chosen <= 0 ? std::string() : box.GetLBText(chosen);
}

void CWorkbenchWindow::ShowRun(const CommandPageControls& page, const Outcome& outcome, const std::string& result) {
    SetText(page.command, outcome.command);
    if (outcome.status != 0) {
        SetText(page.result, "");
        SetText(page.status, FailureStatus(outcome));
        return;
    }
    SetText(page.result, WindowsLines(result));
    SetText(page.status, outcome.cut ? "输出较长，这里只显示开头；“保存”写出全部。" : "");
}

void CWorkbenchWindow::SaveRun(const CommandPageControls& page, const std::vector<std::string>& words,
                               const std::string& file_name, const char* filter) {
    CFileDialog dialog(false, nullptr, AfxUtf8ToGbk(filter).c_str(), m_hWnd);
    dialog.SetFileName(file_name);
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.GetPathName();
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    const Outcome outcome = RunCommandToFile(words, path);
    SetText(page.command, outcome.command);
    SetText(page.status, outcome.status == 0 ? "已保存 " + path : FailureStatus(outcome));
}

// ---- 文件->数组 ---------------------------------------------------------

ArrayFields CWorkbenchWindow::ArrayFieldsShown() const {
    ArrayFields fields;
    fields.reverse = IsChecked(IDC_ARR_REVERSE);
    fields.source = IsChecked(IDC_ARR_SRC_HEX)    ? ArraySource::kHex
                    : IsChecked(IDC_ARR_SRC_TEXT) ? ArraySource::kText
                                                  : ArraySource::kFile;
    fields.file = Text(IDC_ARR_FILE);
    fields.input = Text(IDC_ARR_INPUT);
    fields.name = Text(IDC_ARR_NAME);
    CComboBox types(::GetDlgItem(m_hWnd, IDC_ARR_TYPE));
    fields.type = types.GetCurSel() < 0 ? "u8" : types.GetLBText(types.GetCurSel());
    fields.per_line = Text(IDC_ARR_PER_LINE);
    fields.decimal = IsChecked(IDC_ARR_DECIMAL);
    fields.is_static = IsChecked(IDC_ARR_STATIC);
    fields.is_mutable = IsChecked(IDC_ARR_MUTABLE);
    fields.header = IsChecked(IDC_ARR_HEADER);
    fields.crc = IsChecked(IDC_ARR_CRC);
    fields.pad = IsChecked(IDC_ARR_PAD);
    return fields;
}

void CWorkbenchWindow::OnArrayBrowse() {
    CFileDialog dialog(true, nullptr, AfxUtf8ToGbk("所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    SetText(IDC_ARR_FILE, dialog.GetPathName());
    Check(IDC_ARR_SRC_FILE, true);
    Check(IDC_ARR_SRC_HEX, false);
    Check(IDC_ARR_SRC_TEXT, false);
}

void CWorkbenchWindow::OnArrayRun() {
    const ArrayFields fields = ArrayFieldsShown();
    const Outcome outcome = RunCommand(ArrayWords(fields), kShownBytes);
    // Bytes back from C are shown as hex; 保存 writes them as they are.
    ShowRun(kArrayPage, outcome, fields.reverse ? HexLines(outcome.out) : outcome.out);
}

void CWorkbenchWindow::OnArraySave() {
    const ArrayFields fields = ArrayFieldsShown();
    std::string name = fields.name.empty() ? "data" : fields.name;
    if (fields.name.empty() && fields.source == ArraySource::kFile && !fields.file.empty()) {
        name = fields.file.substr(fields.file.find_last_of("\\/") + 1);
    }
    if (fields.reverse) {
        SaveRun(kArrayPage, ArrayWords(fields), name + ".bin", "所有文件 (*.*)|*.*|");
    } else if (fields.header) {
        SaveRun(kArrayPage, ArrayWords(fields), name + ".h", "C 头文件 (*.h)|*.h|所有文件 (*.*)|*.*|");
    } else {
        SaveRun(kArrayPage, ArrayWords(fields), name + ".c", "C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|");
    }
}

// ---- 元件值选型 ---------------------------------------------------------

PartsFields CWorkbenchWindow::PartsFieldsShown() const {
    PartsFields fields;
    fields.kind = IsChecked(IDC_PARTS_CAPACITOR)   ? "capacitor"
                  : IsChecked(IDC_PARTS_INDUCTOR) ? "inductor"
                                                  : "resistor";
    fields.series = SeriesChosen(IDC_PARTS_SERIES);
    fields.value = Text(IDC_PARTS_VALUE);
    fields.tolerance = Text(IDC_PARTS_TOLERANCE);
    fields.tempco = Text(IDC_PARTS_TEMPCO);
    fields.code = Text(IDC_PARTS_CODE);
    fields.vin = Text(IDC_PARTS_VIN);
    fields.vout = Text(IDC_PARTS_VOUT);
    fields.total = Text(IDC_PARTS_TOTAL);
    fields.count = Text(IDC_PARTS_COUNT);
    return fields;
}

void CWorkbenchWindow::RunParts(PartsJob job) {
    const Outcome outcome = RunCommand(PartsWords(job, PartsFieldsShown()), kShownBytes);
    ShowRun(kPartsPage, outcome, outcome.out);
}

void CWorkbenchWindow::OnPartsNearest() { RunParts(PartsJob::kNearest); }
void CWorkbenchWindow::OnPartsMark() { RunParts(PartsJob::kMark); }
void CWorkbenchWindow::OnPartsDecode() { RunParts(PartsJob::kCode); }
void CWorkbenchWindow::OnPartsDivider() { RunParts(PartsJob::kDivider); }

// ---- 滤波器选型 ---------------------------------------------------------

FilterFields CWorkbenchWindow::FilterFieldsShown() const {
    FilterFields fields;
    fields.kind = IsChecked(IDC_FLT_RC_HIGH) ? FilterKind::kRcHighPass
                  : IsChecked(IDC_FLT_LC)    ? FilterKind::kLc
                  : IsChecked(IDC_FLT_SK)    ? FilterKind::kSallenKey
                                             : FilterKind::kRcLowPass;
    fields.frequency = Text(IDC_FLT_FREQ);
    fields.q = Text(IDC_FLT_Q);
    fields.r_series = SeriesChosen(IDC_FLT_R_SERIES);
    fields.c_series = SeriesChosen(IDC_FLT_C_SERIES);
    fields.l_series = SeriesChosen(IDC_FLT_L_SERIES);
    fields.count = Text(IDC_FLT_COUNT);
    fields.r1 = Text(IDC_FLT_R1);
    fields.r2 = Text(IDC_FLT_R2);
    fields.c1 = Text(IDC_FLT_C1);
    fields.c2 = Text(IDC_FLT_C2);
    fields.l = Text(IDC_FLT_L);
    return fields;
}

void CWorkbenchWindow::OnFilterDesign() {
    const Outcome outcome = RunCommand(FilterDesignWords(FilterFieldsShown()), kShownBytes);
    ShowRun(kFilterPage, outcome, outcome.out);
}

void CWorkbenchWindow::OnFilterFrequency() {
    const Outcome outcome = RunCommand(FilterFrequencyWords(FilterFieldsShown()), kShownBytes);
    ShowRun(kFilterPage, outcome, outcome.out);
}

// ---- Printf函数 ---------------------------------------------------------

void CWorkbenchWindow::OnPrintf() {
    PrintfFields fields;
    fields.format = Text(IDC_PF_FORMAT);
    fields.arguments = Text(IDC_PF_ARGS);
    fields.raw = IsChecked(IDC_PF_RAW);
    const PrintfAnswer answer = Format(fields, kShownBytes);
    ShowRun(kPrintfPage, answer.outcome, answer.outcome.out);
    SetText(IDC_PF_TABLE, WindowsLines(answer.table));
}

// ---- 随机数集合 ---------------------------------------------------------

RandomFields CWorkbenchWindow::RandomFieldsShown() const {
    RandomFields fields;
    fields.kind = IsChecked(IDC_RND_FLOAT)   ? RandomKind::kFloats
                  : IsChecked(IDC_RND_BYTES) ? RandomKind::kBytes
                                             : RandomKind::kIntegers;
    fields.count = Text(IDC_RND_COUNT);
    fields.low = Text(IDC_RND_LOW);
    fields.high = Text(IDC_RND_HIGH);
    fields.unique = IsChecked(IDC_RND_UNIQUE);
    fields.sort = IsChecked(IDC_RND_SORT);
    fields.c_array = IsChecked(IDC_RND_C);
    fields.name = Text(IDC_RND_NAME);
    fields.seed = Text(IDC_RND_SEED);
    return fields;
}

void CWorkbenchWindow::OnRandomRun() {
    const Outcome outcome = RunCommand(RandomWords(RandomFieldsShown()), kShownBytes);
    ShowRun(kRandomPage, outcome, outcome.out);
}

void CWorkbenchWindow::OnRandomSave() {
    const RandomFields fields = RandomFieldsShown();
    const std::string name = fields.name.empty() ? "random" : fields.name;
    if (fields.c_array) {
        SaveRun(kRandomPage, RandomWords(fields), name + ".c", "C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|");
    } else {
        SaveRun(kRandomPage, RandomWords(fields), name + ".txt", "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*|");
    }
}
