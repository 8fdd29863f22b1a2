#include "workbench_window/views/array_view.h"

#include "fw/win32/controls.h"

using namespace command_pages;

namespace {

const char* const kArrayTypes[] = {"u8", "u16le", "u16be", "u32le", "u32be"};

}  // namespace

BEGIN_MESSAGE_MAP(CArrayView, CCommandView)
    ON_COMMAND(IDC_ARR_BROWSE, OnBrowse)
    ON_COMMAND(IDC_ARR_RUN, OnRun)
    ON_COMMAND(IDC_ARR_SAVE, OnSave)
END_MESSAGE_MAP()

CArrayView::CArrayView(CWorkbenchWindow& host)
    : CCommandView(IDD, host, {IDC_ARR_COMMAND, IDC_ARR_RESULT, IDC_ARR_STATUS, IDC_ARR_CANCEL, {IDC_ARR_RUN, IDC_ARR_SAVE}, true}) {}

BOOL CArrayView::OnInitDialog() {
    CCommandView::OnInitDialog();
    FollowSize({
        {IDC_ARR_FILE, kStretchX},
        {IDC_ARR_BROWSE, kMoveX},
        {IDC_ARR_INPUT, kStretchX},
        {IDC_ARR_COMMAND, kStretchX},
        {IDC_ARR_RESULT, kStretchX | kStretchY},
        {IDC_ARR_STATUS, kStretchX | kMoveY},
    });
    UseFixedFont({IDC_ARR_COMMAND, IDC_ARR_RESULT});
    CComboBox types(Item(IDC_ARR_TYPE));
    for (const char* type : kArrayTypes) types.AddString(type);
    types.SetCurSel(0);
    Check(IDC_ARR_SRC_FILE, true);
    return FALSE;
}

ArrayFields CArrayView::FieldsShown() const {
    ArrayFields fields;
    fields.reverse = IsChecked(IDC_ARR_REVERSE);
    fields.source = IsChecked(IDC_ARR_SRC_HEX)    ? ArraySource::kHex
                    : IsChecked(IDC_ARR_SRC_TEXT) ? ArraySource::kText
                                                  : ArraySource::kFile;
    fields.file = Text(IDC_ARR_FILE);
    fields.input = Text(IDC_ARR_INPUT);
    fields.name = Text(IDC_ARR_NAME);
    CComboBox types(Item(IDC_ARR_TYPE));
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

void CArrayView::OnBrowse() {
    CFileDialog dialog(true, nullptr, AfxUtf8ToGbk("所有文件 (*.*)|*.*|").c_str(), m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    UseFile(dialog.GetPathName());
}

bool CArrayView::OpenDroppedFile(const std::string& utf8_path) {
    UseFile(utf8_path);
    return true;
}

void CArrayView::UseFile(const std::string& utf8_path) {
    SetText(IDC_ARR_FILE, utf8_path);
    Check(IDC_ARR_SRC_FILE, true);
    Check(IDC_ARR_SRC_HEX, false);
    Check(IDC_ARR_SRC_TEXT, false);
}

void CArrayView::OnRun() {
    const ArrayFields fields = FieldsShown();
    // Bytes back from C are shown as hex; 保存 writes them as they are.
    StartShownRun(ArrayWords(fields), fields.reverse);
}

void CArrayView::OnSave() {
    const ArrayFields fields = FieldsShown();
    std::string name = fields.name.empty() ? "data" : fields.name;
    if (fields.name.empty() && fields.source == ArraySource::kFile && !fields.file.empty()) {
        name = fields.file.substr(fields.file.find_last_of("\\/") + 1);
    }
    if (fields.reverse) {
        SaveRun(ArrayWords(fields), name + ".bin", "所有文件 (*.*)|*.*|");
    } else if (fields.header) {
        SaveRun(ArrayWords(fields), name + ".h", "C 头文件 (*.h)|*.h|所有文件 (*.*)|*.*|");
    } else {
        SaveRun(ArrayWords(fields), name + ".c", "C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|");
    }
}
