// The hex dump buttons: bytes to hex text in two notations, and hex text
// back to bytes shown as text.
#include "core/hexdump.h"
#include "ui/tool_dlg.h"

namespace {

// Ascii->Hex and the hex conversion differ only in how they decode.
void ShowHexDump(CToolDlg& dlg, DecodeMode mode) {
    int length = 0;
    if (!dlg.DecodeForTool(length, mode)) return;
    WriteHexDumpReport(g_workBuffer, length, dlg.m_strOutput.Bytes());
    dlg.UpdateData(FALSE);
}

}  // namespace

void CToolDlg::OnBtnAscii2hex() { ShowHexDump(*this, AS_ASCII); }

void CToolDlg::OnBtnHexconv() { ShowHexDump(*this, BY_FORMAT_OPTION); }

void CToolDlg::OnBtnHex2ascii() {
    int length = 0;
    if (!DecodeForTool(length, AS_HEX)) return;
    // The spare byte after the buffer makes room for the zero after a full
    // 20480 bytes; the text ends at the first zero byte.
    g_workBuffer[length] = 0;
    ShowOutput(reinterpret_cast<const char*>(g_workBuffer));
}
