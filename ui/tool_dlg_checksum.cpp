// The 8-bit and 16-bit checksum buttons.
#include "core/checksum.h"
#include "core/texts.h"
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnSum8() {
    int length = 0;
    if (DecodeInput(g_workBuffer, WORK_BUFFER_SIZE, length, BY_FORMAT_OPTION) != 1) {
        AfxMessageBox(texts::kDecodeFailed, MB_OK);
        return;
    }
    m_strOutput.Format(texts::kSum8Format, static_cast<unsigned>(Checksum8(g_workBuffer, length)));
    UpdateData(FALSE);
}

void CToolDlg::OnBtnSum16() {
    int length = 0;
    if (DecodeInput(g_workBuffer, WORK_BUFFER_SIZE, length, BY_FORMAT_OPTION) != 1) {
        AfxMessageBox(texts::kDecodeFailed, MB_OK);
        return;
    }
    m_strOutput.Format(texts::kSum16Format, static_cast<unsigned>(Checksum16(g_workBuffer, length)));
    UpdateData(FALSE);
}
