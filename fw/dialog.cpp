#include "fw/afxwin.h"
#include "fw/backend.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT template_id, CWnd* parent) : template_id_(template_id), parent_(parent) {}

// A child dialog's window goes with its object; a modal one has ended before.
CDialog::~CDialog() {
    if (child_) DestroyWindow();
}

INT_PTR CDialog::DoModal() {
    // Without a parent the application's main window owns the dialog, so that
    // it stays disabled while this one runs.
    HWND owner = parent_ ? parent_->m_hWnd : nullptr;
    if (!owner) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this) owner = app->m_pMainWnd->m_hWnd;
    }
    return fw::backend::RunModalDialog(*this, static_cast<int>(template_id_), owner);
}

BOOL CDialog::Create(CWnd* parent) {
    parent_ = parent;
    child_ = true;
    return fw::backend::CreateChildDialog(*this, static_cast<int>(template_id_), parent ? parent->m_hWnd : nullptr)
               ? TRUE
               : FALSE;
}

void CDialog::DestroyWindow() {
    if (m_hWnd) fw::backend::DestroyChildDialog(m_hWnd);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    // The program's own system-menu entries (ids below the system's) are
    // commands too, dropped like the others once the dialog closes.
    if (message == WM_SYSCOMMAND && closing_ && (wparam & 0xFFF0) < SC_SIZE) return 0;
    return CWnd::WindowProc(message, wparam, lparam);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::EndDialog(int result) { fw::backend::EndDialog(m_hWnd, result); }

// The data exchange is text only and cannot fail, so the dialog always ends.
void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wparam, LPARAM lparam) {
    const WORD id = LOWORD(wparam);
    if (closing_ && id != IDOK && id != IDCANCEL) return TRUE;  // handled: dropped
    return CWnd::OnCommand(wparam, lparam);
}
