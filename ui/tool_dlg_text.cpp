// The text buttons: case, reversal, clearing and character statistics. They
// take the input text as it is, whatever the format option and however long.
#include "core/charcount_report.h"
#include "core/texttools.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnUpper() {
    UpdateData(TRUE);
    m_strOutput = m_strInput;
    m_strOutput.MakeUpper();
    UpdateData(FALSE);
}

void CToolDlg::OnBtnLower() {
    UpdateData(TRUE);
    m_strOutput = m_strInput;
    m_strOutput.MakeLower();
    UpdateData(FALSE);
}

void CToolDlg::OnBtnReverse() {
    UpdateData(TRUE);
    m_strOutput = m_strInput;
    m_strOutput.MakeReverse();
    UpdateData(FALSE);
}

// The boxes are not read first: the output box gets back the text it held at
// the last command (or that command's report), the input box is emptied.
void CToolDlg::OnBtnClear() {
    m_strInput.Empty();
    UpdateData(FALSE);
}

void CToolDlg::OnBtnCharCount() {
    UpdateData(TRUE);
    const CharStats stats = CountCharacters(m_strInput.GetString(), m_strInput.GetLength());
    m_strOutput = CString(CharCountReport(stats));
    UpdateData(FALSE);
}
