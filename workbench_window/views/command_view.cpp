#include "workbench_window/views/command_view.h"

#include <cwchar>

#include "fw/win32/controls.h"
#include "workbench_window/window_text.h"

namespace {

// A series box's first line: the command's own choice, which differs by job.
const char kSeriesDefault[] = "默认";

// A failed run's status: the command's first message, which says what is
// wrong (the rest say more).
std::string FailureStatus(const command_pages::Outcome& outcome) {
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    return first.empty() ? "失败" : first;
}

}  // namespace

CCommandView::~CCommandView() {
    if (fixed_font_) ::DeleteObject(fixed_font_);
}

void CCommandView::UseFixedFont(std::initializer_list<int> ids) {
    if (!fixed_font_) {
        // As high as the page's own font.
        LOGFONTW font = {};
        HFONT page_font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        if (!page_font || !::GetObjectW(page_font, sizeof font, &font)) font.lfHeight = -12;
        LOGFONTW fixed = {};
        fixed.lfHeight = font.lfHeight;
        fixed.lfWeight = FW_NORMAL;
        fixed.lfCharSet = DEFAULT_CHARSET;
        fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        wcscpy(fixed.lfFaceName, L"Courier New");
        fixed_font_ = ::CreateFontIndirectW(&fixed);
    }
    if (!fixed_font_) return;
    for (const int id : ids) ::SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_), FALSE);
}

void CCommandView::FillSeries(int id) {
    CComboBox box(Item(id));
    box.AddString(AfxUtf8ToGbk(kSeriesDefault).c_str());
    for (const std::string& item : command_pages::SeriesNames()) box.AddString(item.c_str());
    box.SetCurSel(0);
}

std::string CCommandView::SeriesChosen(int id) const {
    CComboBox box(Item(id));
    const int chosen = box.GetCurSel();
    return chosen <= 0 ? std::string() : box.GetLBText(chosen);
}

void CCommandView::ShowRun(const command_pages::Outcome& outcome, const std::string& result) {
    SetText(run_.command, outcome.command);
    if (outcome.status != 0) {
        SetText(run_.result, "");
        SetText(run_.status, FailureStatus(outcome));
        return;
    }
    SetText(run_.result, WindowsLines(result));
    if (!outcome.cut) {
        SetText(run_.status, "");
    } else {
        SetText(run_.status, run_.saves ? "输出较长，这里只显示开头；“保存”写出全部。" : "输出较长，这里只显示开头。");
    }
}

void CCommandView::SaveRun(const std::vector<std::string>& words, const std::string& file_name, const char* filter) {
    CFileDialog dialog(false, nullptr, AfxUtf8ToGbk(filter).c_str(), m_hWnd);
    dialog.SetFileName(file_name);
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.GetPathName();
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    const command_pages::Outcome outcome = command_pages::RunCommandToFile(words, path);
    SetText(run_.command, outcome.command);
    SetText(run_.status, outcome.status == 0 ? "已保存 " + path : FailureStatus(outcome));
}
