#include "ui/tool_app.h"

#include "ui/tool_dlg.h"

BEGIN_MESSAGE_MAP(CToolApp, CWinApp)
END_MESSAGE_MAP()

CToolApp theApp;

CToolApp::CToolApp() = default;

CToolApp::~CToolApp() = default;

BOOL CToolApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    CToolDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has closed and the program ends; the framework runs no
    // message loop of its own after InitInstance, so the value is not read.
    return FALSE;
}
