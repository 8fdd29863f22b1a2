// The 8-bit and 16-bit checksum buttons.
#include "core/checksum.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnSum8() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    m_strOutput.Format(texts::kSum8Format, static_cast<unsigned>(Checksum8(g_workBuffer, length)));
    UpdateData(FALSE);
}

void CToolDlg::OnBtnSum16() {
    int length = 0;
    if (!DecodeForTool(length, BY_FORMAT_OPTION)) return;
    m_strOutput.Format(texts::kSum16Format, static_cast<unsigned>(Checksum16(g_workBuffer, length)));
    UpdateData(FALSE);
}
