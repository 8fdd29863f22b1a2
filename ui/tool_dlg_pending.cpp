// Buttons whose tools are still to be built: routed, and doing nothing yet.
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnCrc8() {}
void CToolDlg::OnBtnCrc16() {}
void CToolDlg::OnBtnCrc32() {}
void CToolDlg::OnBtnMd5() {}
void CToolDlg::OnBtnAscii2hex() {}
void CToolDlg::OnBtnHexconv() {}
void CToolDlg::OnBtnHex2ascii() {}
void CToolDlg::OnBtnHex2float() {}
void CToolDlg::OnBtnFloat2hex() {}
