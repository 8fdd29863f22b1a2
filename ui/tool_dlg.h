// CToolDlg: the main dialog. It owns the two texts every tool works on and
// routes each button to its tool.
#pragma once

#include "core/decode.h"
#include "fw/afxwin.h"
#include "res/resource.h"

class CToolDlg : public CDialog {
public:
    explicit CToolDlg(CWnd* parent = nullptr);
    ~CToolDlg() override;

    enum { IDD = IDD_TOOL_DIALOG };

    CString m_strInput;
    CString m_strOutput;
    HICON m_hIcon;

    // Decodes the input box into `buffer` (at most `capacity` bytes): 1 on
    // success with the byte count in `length`, 0 when the input does not fit.
    int DecodeInput(unsigned char* buffer, int capacity, int& length, DecodeMode mode);
    // Sets the output text and shows both texts.
    void ShowOutput(const char* text);
    // The first two steps of every byte tool: decode the input into the work
    // buffer, or show the decoding failure. True when the tool may go on.
    bool DecodeForTool(int& length, DecodeMode mode);

    // The tools, one per button.
    afx_msg void OnBtnSum8();
    afx_msg void OnBtnSum16();
    afx_msg void OnBtnCrc8();
    afx_msg void OnBtnCrc16();
    afx_msg void OnBtnCrc32();
    afx_msg void OnBtnHex2ascii();
    afx_msg void OnBtnHex2float();
    afx_msg void OnBtnFloat2hex();
    afx_msg void OnBtnAscii2hex();
    afx_msg void OnBtnCharCount();
    afx_msg void OnBtnMd5();
    afx_msg void OnBtnUpper();
    afx_msg void OnBtnLower();
    afx_msg void OnBtnReverse();
    afx_msg void OnBtnHexconv();
    afx_msg void OnBtnClear();
    afx_msg void OnUnderConstruction();
    afx_msg void OnBtnPrintf();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    afx_msg void OnSysCommand(UINT id, LPARAM lparam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnCheckTopmost();

    DECLARE_MESSAGE_MAP()

private:
    bool IsChecked(int id) const;
};
