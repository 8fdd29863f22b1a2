// The workbench window's application: registers the common controls its
// template names, runs the window modally, then ends.
#include "fw/afxwin.h"
#include "fw/win32/controls.h"
#include "workbench_window/workbench_window.h"

class CWorkbenchApp : public CWinApp {
public:
    BOOL InitInstance() override {
        AfxInitCommonControls();
        CWorkbenchWindow window;
        m_pMainWnd = &window;
        window.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};

CWorkbenchApp theApp;
