// The main dialog: construction, data exchange, start-up state and the
// command table. The tools themselves live in the tool_dlg_*.cpp files.
#include "ui/tool_dlg.h"

#include "core/texts.h"
#include "ui/about_dlg.h"

namespace {
// Duration of the fade-out when the dialog closes.
constexpr DWORD FADE_TIME_MS = 1500;
}  // namespace

BEGIN_MESSAGE_MAP(CToolDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_CLOSE()
    ON_BN_CLICKED(IDC_BTN_SUM8, OnBtnSum8)
    ON_BN_CLICKED(IDC_BTN_SUM16, OnBtnSum16)
    ON_BN_CLICKED(IDC_BTN_CRC8, OnBtnCrc8)
    ON_BN_CLICKED(IDC_BTN_CRC16, OnBtnCrc16)
    ON_BN_CLICKED(IDC_BTN_CRC32, OnBtnCrc32)
    ON_BN_CLICKED(IDC_BTN_HEX2ASCII, OnBtnHex2ascii)
    ON_BN_CLICKED(IDC_BTN_HEX2FLOAT, OnBtnHex2float)
    ON_BN_CLICKED(IDC_BTN_FLOAT2HEX, OnBtnFloat2hex)
    ON_BN_CLICKED(IDC_BTN_ASCII2HEX, OnBtnAscii2hex)
    ON_BN_CLICKED(IDC_BTN_CHARCOUNT, OnBtnCharCount)
    ON_BN_CLICKED(IDC_BTN_MD5, OnBtnMd5)
    ON_BN_CLICKED(IDC_CHECK_TOPMOST, OnCheckTopmost)
    ON_BN_CLICKED(IDC_BTN_FILE2ARRAY, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_RESISTOR, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_FILTER, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_CAPACITOR, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_INDUCTOR, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_PRINTF, OnBtnPrintf)
    ON_BN_CLICKED(IDC_BTN_RANDOM, OnUnderConstruction)
    ON_BN_CLICKED(IDC_BTN_UPPER, OnBtnUpper)
    ON_BN_CLICKED(IDC_BTN_LOWER, OnBtnLower)
    ON_BN_CLICKED(IDC_BTN_REVERSE, OnBtnReverse)
    ON_BN_CLICKED(IDC_BTN_HEXCONV, OnBtnHexconv)
    ON_BN_CLICKED(IDC_BTN_CLEAR, OnBtnClear)
END_MESSAGE_MAP()

CToolDlg::CToolDlg(CWnd* parent) : CDialog(IDD, parent), m_strInput(""), m_strOutput("") {
    // The application icon is a shared resource icon: never destroyed.
    CWinApp* app = AfxGetApp();
    m_hIcon = app ? app->LoadIcon(IDR_MAINFRAME) : AfxLoadIcon(IDR_MAINFRAME);
}

CToolDlg::~CToolDlg() = default;

void CToolDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_EDIT_INPUT, m_strInput);
    DDX_Text(dx, IDC_EDIT_OUTPUT, m_strOutput);
}

BOOL CToolDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* system_menu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            system_menu->AppendMenu(MF_SEPARATOR);
            system_menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    GetDlgItem(IDC_RADIO_ASCII)->SendMessage(BM_SETCHECK, BST_CHECKED);
    GetDlgItem(IDC_RADIO_HEX)->SendMessage(BM_SETCHECK, BST_UNCHECKED);

    // TRUE: the dialog manager focuses the first control that takes focus, "退出".
    return TRUE;
}

bool CToolDlg::IsChecked(int id) const {
    CWnd* control = GetDlgItem(id);
    return control && control->SendMessage(BM_GETCHECK) != 0;
}

void CToolDlg::OnUnderConstruction() { AfxMessageBox(texts::kUnderConstruction, MB_OK); }

void CToolDlg::OnBtnPrintf() {
    UpdateData(TRUE);
    AfxMessageBox(texts::kUnderConstruction, MB_OK);
}

// ---- Window behaviours -------------------------------------------------

void CToolDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void CToolDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cx = AfxGetSystemMetrics(SM_CXICON);
    const int cy = AfxGetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - cx + 1) / 2;
    const int y = (client.bottom - client.top - cy + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CToolDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CToolDlg::OnCheckTopmost() {
    if (IsChecked(IDC_CHECK_TOPMOST))
        SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    else
        SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}

// The fade holds the message loop for its whole time. Tool commands and the
// About entry that arrive meanwhile are queued ahead of the IDCANCEL that
// ends the dialog; BeginClosing drops them, so no tool opens a message box
// for a window that has gone.
void CToolDlg::OnClose() {
    BeginClosing();
    AnimateWindow(FADE_TIME_MS, AW_HIDE | AW_BLEND);
    Default();  // the dialog manager turns the close into IDCANCEL
}

void CToolDlg::OnCancel() {
    BeginClosing();
    // After OnClose the window is already hidden and this fade returns at once.
    AnimateWindow(FADE_TIME_MS, AW_HIDE | AW_BLEND);
    CDialog::OnCancel();
}
