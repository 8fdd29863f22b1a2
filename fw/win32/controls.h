// The common controls and shell services a window beyond the dialog needs,
// as small classes over a control's HWND in the manner of CWnd: a combo box,
// a list view, a tab control, a progress bar, the system's open and save
// dialogs, files dropped onto a window, and the clipboard. Texts are GBK
// bytes as everywhere in the framework, except file names, which are UTF-8
// so that a name of any characters (固件.bin, or one outside GBK) survives.
#pragma once

#include <string>
#include <vector>

#include "fw/afxwin.h"

// A combo box: its list of texts and the chosen one.
class CComboBox : public CWnd {
public:
    explicit CComboBox(HWND window = nullptr) : CWnd(window) {}
    void ResetContent();
    int AddString(const char* text);
    int GetCount() const;
    int GetCurSel() const;  // CB_ERR (-1) for none
    void SetCurSel(int index);
    std::string GetLBText(int index) const;
};

// A list view in report view: columns, then rows of texts.
class CListCtrl : public CWnd {
public:
    explicit CListCtrl(HWND window = nullptr) : CWnd(window) {}
    // Full-row selection and grid lines, as a table of results reads best.
    void SetTableStyle();
    int InsertColumn(int column, const char* heading, int width_px);
    // Replaces every column: headings and their widths in dialog-unit
    // quarters of the window's font, so that they follow the DPI.
    void SetColumns(const std::vector<std::string>& headings, const std::vector<int>& widths_du);
    int GetColumnCount() const;
    void DeleteAllItems();
    int InsertItem(int row, const char* text);
    void SetItemText(int row, int column, const char* text);
    std::string GetItemText(int row, int column) const;
    int GetItemCount() const;
    // Replaces every row: rows[i][c] is row i's text in column c; the
    // columns then fit their texts (FitColumns).
    void SetRows(const std::vector<std::vector<std::string>>& rows);
    // Widens or narrows each column to its widest text, heading included, so
    // that no value ends in "..."; the last one takes what is left of the
    // list's width. A table wider than the list scrolls sideways.
    void FitColumns();
    // The selected rows as UTF-8 text, for the clipboard: a row's cells
    // apart by tabs, rows by CR LF, as a spreadsheet takes a paste; "" when
    // none is selected.
    std::string SelectedRowsText() const;
    void SelectAll();
};

// A tab control: one tab per page, the page's controls being the owner's.
class CTabCtrl : public CWnd {
public:
    explicit CTabCtrl(HWND window = nullptr) : CWnd(window) {}
    int InsertItem(int index, const char* text);
    int GetCurSel() const;
    void SetCurSel(int index);
    int GetItemCount() const;
};

class CProgressCtrl : public CWnd {
public:
    explicit CProgressCtrl(HWND window = nullptr) : CWnd(window) {}
    void SetRange(int low, int high);
    void SetPos(int position);
    int GetPos() const;
};

// The system's open-file or save-file dialog for one file. `filter` is as
// OPENFILENAME takes it, GBK, pairs of a description and a pattern each
// ended by "|" ("所有文件 (*.*)|*.*|").
class CFileDialog {
public:
    CFileDialog(bool open, const char* default_extension, const char* filter, HWND owner);
    // IDOK with the file chosen, IDCANCEL when the user cancelled.
    INT_PTR DoModal();
    const std::string& GetPathName() const { return path_; }  // UTF-8
    void SetFileName(const std::string& utf8_name) { path_ = utf8_name; }

private:
    bool open_;
    std::string extension_, filter_;
    HWND owner_;
    std::string path_;
};

// The files of a WM_DROPFILES message, in UTF-8; the drop handle is
// released by the constructor, so the object is all that is left of it.
class CDroppedFiles {
public:
    explicit CDroppedFiles(WPARAM drop);
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

// Registers the classes of the common controls a template names
// (SysListView32, SysTabControl32, msctls_progress32); before creating it.
void AfxInitCommonControls();

// Lets `window` take files dropped onto it (WM_DROPFILES).
void AfxAcceptDroppedFiles(HWND window);

// Puts UTF-8 text on the clipboard as Unicode text (the system offers it in
// the ANSI code page too, to those that ask): a character GBK has no form
// for (한글) survives. False when the clipboard could not be had.
bool AfxSetClipboardText(HWND owner, const std::string& utf8);
// The clipboard's text in GBK, or "" when it holds none.
std::string AfxGetClipboardText(HWND owner);

// UTF-8 to GBK and back for the window's texts: a character GBK has no form
// for becomes '?', as the ANSI calls themselves do.
std::string AfxUtf8ToGbk(const std::string& utf8);
std::string AfxGbkToUtf8(const std::string& gbk);

// UTF-8 to Windows' UTF-16 and back, for the file system's Unicode names.
std::wstring AfxUtf8ToWide(const std::string& utf8);
std::string AfxWideToUtf8(const std::wstring& wide);
