#include "ui/about_dlg.h"

// "确定" and Esc end the box through the framework's OnOK and OnCancel.
BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }
