// Our own small application framework: the classes and functions the dialog
// program is written against (CWinApp, CDialog, CWnd, DDX_Text, message maps,
// AfxMessageBox...). Everything here is portable; the window-system work is
// done by the backend the program links (fw/backend.h).
#pragma once

#include <map>
#include <memory>

#include "fw/cstring.h"
#include "fw/msgmap.h"
#include "fw/win_types.h"

class CDataExchange;
class CMenu;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window; null before it is created and once it is destroyed.
    HWND m_hWnd = nullptr;

    // Stand-ins for HWND_TOPMOST and HWND_NOTOPMOST in SetWindowPos.
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    LRESULT SendMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    CWnd* GetDlgItem(int id) const;
    void SetWindowText(const char* text);
    void GetWindowText(CString& text) const;
    BOOL SetWindowPos(const CWnd* insert_after, int x, int y, int cx, int cy, UINT flags);
    BOOL AnimateWindow(DWORD time_ms, DWORD flags);
    CMenu* GetSystemMenu(BOOL revert);
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    HICON SetIcon(HICON icon, BOOL big);

    // Copies between the controls and the members: TRUE reads the controls.
    BOOL UpdateData(BOOL save_and_validate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    // Entry of every message: the message map first, then the defaults below.
    virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
    // Default handling of the message now being handled.
    LRESULT Default();

protected:
    virtual BOOL OnCommand(WPARAM wparam, LPARAM lparam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam);

private:
    struct CurrentMessage {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    };
    CurrentMessage current_{0, 0, 0};
    mutable std::map<int, std::unique_ptr<CWnd>> children_;
    std::unique_ptr<CMenu> system_menu_;
};

class CMenu {
public:
    HMENU m_hMenu = nullptr;
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT template_id, CWnd* parent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // A modeless dialog as a child of `parent` (a page under a tab control):
    // its template is DS_CONTROL | WS_CHILD, so the parent's dialog manager
    // walks its controls with the parent's own. Not shown until the parent
    // shows it; DestroyWindow or the object's end takes it away.
    BOOL Create(CWnd* parent);
    void DestroyWindow();
    virtual BOOL OnInitDialog();
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void EndDialog(int result);
    UINT TemplateId() const { return template_id_; }

    // Called by the backends around the life of the dialog's window.
    void AttachWindow(HWND window) {
        m_hWnd = window;
        closing_ = false;
    }
    void DetachWindow() { m_hWnd = nullptr; }

    // Once the dialog has begun to close (say, with a fade-out that holds the
    // message loop), the commands queued meanwhile are dropped, all but IDOK
    // and IDCANCEL, and so are the program's own system-menu entries, so the
    // close completes without running them.
    void BeginClosing() { closing_ = true; }

protected:
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    DECLARE_MESSAGE_MAP()

private:
    UINT template_id_;
    CWnd* parent_;
    bool child_ = false;  // made by Create
    bool closing_ = false;
};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Exchanges the text of control `id` with `value` in the direction of `dx`.
void DDX_Text(CDataExchange* dx, int id, CString& value);

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* app_name = nullptr);
    ~CWinApp() override;

    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName = nullptr;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    HICON LoadIcon(UINT id) const;
    void OnHelp();

    // The framework's entry: InitInstance, and the exit processing.
    int Run();

protected:
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();

// A modal message box with the exclamation icon and the application title.
int AfxMessageBox(const char* text, UINT type = MB_OK);

int AfxGetSystemMetrics(int index);
// Icon resource `id` of the program; a shared icon, never destroyed.
HICON AfxLoadIcon(UINT id);

// Switches of the framework's control support; see app.cpp for why neither
// has anything to do.
void AfxEnableControlContainer();
BOOL Enable3dControlsStatic();

// Paint context for one WM_PAINT: BeginPaint on construction, EndPaint on
// destruction, with the paint information kept in between.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);
    PAINTSTRUCT m_ps;  // filled by BeginPaint, handed back to EndPaint
    HDC m_hDC;

private:
    HWND window_;
};

#define ID_HELP 0xE146
