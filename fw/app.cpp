// CWinApp, the message box and the paint context.
#include "fw/afxwin.h"
#include "fw/backend.h"

namespace {
CWinApp* g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* app_name) : m_pszAppName(app_name) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT id) const { return AfxLoadIcon(id); }

HICON AfxLoadIcon(UINT id) { return fw::backend::LoadIconResource(static_cast<int>(id)); }

// No help file belongs to the program: the help command has nothing to open.
void CWinApp::OnHelp() {}

// The framework's programs are dialog-based: InitInstance runs the main
// dialog, whose modal loop is the program's, so there is no message loop of
// the application's own to run afterwards, whatever InitInstance returns.
// The program ends with the exit processing as soon as InitInstance is done.
int CWinApp::Run() {
    InitInstance();
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }

int AfxMessageBox(const char* text, UINT type) {
    HWND owner = nullptr;
    if (g_app && g_app->m_pMainWnd) owner = g_app->m_pMainWnd->m_hWnd;
    const std::string title = fw::backend::ApplicationTitle();
    return fw::backend::MessageBox(owner, text, title.c_str(), type | MB_ICONEXCLAMATION);
}

int AfxGetSystemMetrics(int index) { return fw::backend::GetSystemMetrics(index); }

// Empty: the framework hosts no ActiveX controls, so there is no container to set up.
void AfxEnableControlContainer() {}

// Empty: three-dimensional controls are the system's own look since Windows 95.
BOOL Enable3dControlsStatic() { return TRUE; }

CPaintDC::CPaintDC(CWnd* window)
    : m_ps(), m_hDC(fw::backend::BeginPaint(window->m_hWnd, &m_ps)), window_(window->m_hWnd) {}

CPaintDC::~CPaintDC() { fw::backend::EndPaint(window_, &m_ps); }

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) { return fw::backend::DrawIcon(m_hDC, x, y, icon); }
