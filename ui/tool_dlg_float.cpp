// The floating-point buttons: hex bytes to single-precision values, and a
// decimal number to its single- and double-precision bytes.
#include "core/float_report.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnHex2float() {
    int length = 0;
    if (!DecodeForTool(length, AS_HEX)) return;
    // Only whole groups of four bytes are values; otherwise the output box
    // keeps what it showed.
    if (length == 0 || length % 4 != 0) {
        AfxMessageBox(texts::kNeedMultipleOfFour, MB_OK);
        return;
    }
    const bool low_first = IsChecked(IDC_CHECK_LOWFIRST);
    m_strOutput = CString(Hex2FloatReport(g_workBuffer, length, low_first));
    UpdateData(FALSE);
}

// Reads the input text itself: no decoding, no work buffer, no format option.
void CToolDlg::OnBtnFloat2hex() {
    UpdateData(TRUE);
    const bool low_first = IsChecked(IDC_CHECK_LOWFIRST);
    m_strOutput = CString(Float2HexReport(m_strInput, low_first));
    UpdateData(FALSE);
}
