// The 8-bit and 16-bit checksum buttons.
#include "core/checksum.h"
#include "core/checksum_report.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnSum8() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint8_t sum = Checksum8(g_workBuffer, length);
    m_strOutput = CString(Sum8Report(sum));
    UpdateData(FALSE);
}

void CToolDlg::OnBtnSum16() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    const std::uint16_t sum = Checksum16(g_workBuffer, length);
    m_strOutput = CString(Sum16Report(sum));
    UpdateData(FALSE);
}
