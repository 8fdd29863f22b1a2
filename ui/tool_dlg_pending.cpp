// Buttons whose tools are still to be built: routed, and doing nothing yet.
#include "ui/tool_dlg.h"

void CToolDlg::OnBtnUpper() {}
void CToolDlg::OnBtnLower() {}
void CToolDlg::OnBtnReverse() {}
void CToolDlg::OnBtnClear() {}
void CToolDlg::OnBtnCharCount() {}
