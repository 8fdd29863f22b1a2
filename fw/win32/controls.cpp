#include "fw/win32/controls.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "codepage/gbk_codec.h"

// ---- CComboBox ---------------------------------------------------------

void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::AddString(const char* text) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
void CComboBox::SetCurSel(int index) { SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)); }
std::string CComboBox::GetLBText(int index) const {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

// ---- CListCtrl ---------------------------------------------------------

namespace {

// Room a header item leaves either side of its text, in pixels.
constexpr int kCellMargin = 6;

}  // namespace

void CListCtrl::SetTableStyle() {
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

int CListCtrl::InsertColumn(int column, const char* heading, int width_px) {
    LVCOLUMNA item = {};
    item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    item.pszText = const_cast<char*>(heading);
    item.cx = width_px;
    item.iSubItem = column;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::SetColumns(const std::vector<std::string>& headings, const std::vector<int>& widths_du) {
    while (SendMessage(LVM_DELETECOLUMN, 0)) {
    }
    HWND parent = ::GetParent(m_hWnd);
    for (size_t c = 0; c < headings.size(); ++c) {
        RECT width = {0, 0, c < widths_du.size() ? widths_du[c] : 40, 0};
        ::MapDialogRect(parent, &width);
        InsertColumn(static_cast<int>(c), headings[c].c_str(), width.right);
    }
}

int CListCtrl::GetColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void CListCtrl::DeleteAllItems() { SendMessage(LVM_DELETEALLITEMS); }

int CListCtrl::InsertItem(int row, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListCtrl::SetItemText(int row, int column, const char* text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string CListCtrl::GetItemText(int row, int column) const {
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

void CListCtrl::SetRows(const std::vector<std::vector<std::string>>& rows) {
    // One repaint for the whole table, not one a row.
    SendMessage(WM_SETREDRAW, FALSE);
    DeleteAllItems();
    for (size_t r = 0; r < rows.size(); ++r) {
        const int row = static_cast<int>(r);
        if (rows[r].empty()) continue;
        InsertItem(row, rows[r][0].c_str());
        for (size_t c = 1; c < rows[r].size(); ++c) SetItemText(row, static_cast<int>(c), rows[r][c].c_str());
    }
    FitColumns();
    SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// LVSCW_AUTOSIZE measures the cells; the heading is measured here with the
// header's margins (LVSCW_AUTOSIZE_USEHEADER would measure every cell a
// second time, and Wine's leaves a heading a pixel short of its margins).
// The last column takes what is left up to the vertical scroll bar that
// the rows call for: while redrawing is off the list has not shown it yet,
// and a last column under it would bring a horizontal bar, hiding a row.
void CListCtrl::FitColumns() {
    const int columns = GetColumnCount();
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const bool bar_to_come = (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VSCROLL) == 0 &&
                             GetItemCount() > static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE));
    const int room = static_cast<int>(client.right) - (bar_to_come ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    int used = 0;
    for (int c = 0; c < columns; ++c) {
        const WPARAM column = static_cast<WPARAM>(c);
        SendMessage(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(LVSCW_AUTOSIZE, 0));
        int width = static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column));
        wchar_t heading[256] = {};
        LVCOLUMNW item = {};
        item.mask = LVCF_TEXT;
        item.pszText = heading;
        item.cchTextMax = 256;
        SendMessage(LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
        const int heading_width = static_cast<int>(SendMessage(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(heading)));
        width = std::max(width, heading_width + 2 * kCellMargin);
        if (c == columns - 1) width = std::max(width, room - used);
        SendMessage(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
        used += width;
    }
}

std::string CListCtrl::SelectedRowsText() const {
    const int columns = GetColumnCount();
    std::wstring text;
    bool first = true;
    for (int row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); row >= 0;
         row = static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) {
        if (!first) text += L"\r\n";
        first = false;
        for (int c = 0; c < columns; ++c) {
            if (c > 0) text += L'\t';
            // The list says how much it copied, not how long the text is:
            // a buffer it filled to the brim is doubled and asked again.
            std::vector<wchar_t> cell(256);
            for (;;) {
                LVITEMW item = {};
                item.iSubItem = c;
                item.pszText = cell.data();
                item.cchTextMax = static_cast<int>(cell.size());
                const LRESULT copied = SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                if (static_cast<size_t>(copied) + 1 < cell.size()) break;
                cell.assign(cell.size() * 2, L'\0');
            }
            text += cell.data();
        }
    }
    return AfxWideToUtf8(text);
}

void CListCtrl::SelectAll() {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

// ---- CTabCtrl ----------------------------------------------------------

int CTabCtrl::InsertItem(int index, const char* text) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
int CTabCtrl::GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
void CTabCtrl::SetCurSel(int index) { SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index)); }
int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }

// ---- CProgressCtrl -----------------------------------------------------

void CProgressCtrl::SetRange(int low, int high) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
void CProgressCtrl::SetPos(int position) { SendMessage(PBM_SETPOS, static_cast<WPARAM>(position)); }
int CProgressCtrl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }

// ---- CFileDialog -------------------------------------------------------

CFileDialog::CFileDialog(bool open, const char* default_extension, const char* filter, HWND owner)
    : open_(open), extension_(default_extension ? default_extension : ""), filter_(filter ? filter : ""),
      owner_(owner) {}

INT_PTR CFileDialog::DoModal() {
    // The filter's "|" stand for the NULs OPENFILENAME wants.
    std::wstring filter = AfxUtf8ToWide(AfxGbkToUtf8(filter_));
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    filter.push_back(L'\0');
    const std::wstring extension = AfxUtf8ToWide(extension_);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = AfxUtf8ToWide(path_);
    if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (open_ ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_OVERWRITEPROMPT);
    const BOOL chosen = open_ ? ::GetOpenFileNameW(&dialog) : ::GetSaveFileNameW(&dialog);
    if (!chosen) return IDCANCEL;
    path_ = AfxWideToUtf8(file.data());
    return IDOK;
}

// ---- Dropped files -----------------------------------------------------

CDroppedFiles::CDroppedFiles(WPARAM drop) {
    HDROP handle = reinterpret_cast<HDROP>(drop);
    const UINT count = ::DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(handle, i, nullptr, 0);
        std::vector<wchar_t> name(length + 1, L'\0');
        ::DragQueryFileW(handle, i, name.data(), length + 1);
        paths_.push_back(AfxWideToUtf8(name.data()));
    }
    ::DragFinish(handle);
}

void AfxInitCommonControls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

void AfxAcceptDroppedFiles(HWND window) { ::DragAcceptFiles(window, TRUE); }

// ---- The clipboard -----------------------------------------------------

namespace {

bool PutOnClipboard(UINT format, const void* bytes, size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    if (::SetClipboardData(format, memory)) return true;
    ::GlobalFree(memory);
    return false;
}

}  // namespace

bool AfxSetClipboardText(HWND owner, const std::string& utf8) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    const std::wstring wide = AfxUtf8ToWide(utf8);
    const bool put = PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ::CloseClipboard();
    return put;
}

std::string AfxGetClipboardText(HWND owner) {
    if (!::OpenClipboard(owner)) return std::string();
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = AfxUtf8ToGbk(AfxWideToUtf8(wide));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

// ---- Texts -------------------------------------------------------------

std::string AfxUtf8ToGbk(const std::string& utf8) {
    std::string gbk;
    std::size_t offset = 0;
    if (Utf8ToGbk(utf8, gbk, offset) == Utf8ToGbkResult::Ok) return gbk;
    // Character by character: only those without a form become '?'.
    gbk.clear();
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        std::size_t length = DecodeUtf8(utf8, pos, cp);
        if (length == 0) length = 1;
        std::string one;
        std::size_t unused = 0;
        gbk += Utf8ToGbk(utf8.substr(pos, length), one, unused) == Utf8ToGbkResult::Ok ? one : "?";
        pos += length;
    }
    return gbk;
}

std::string AfxGbkToUtf8(const std::string& gbk) {
    std::string utf8;
    GbkToUtf8(gbk, utf8);
    return utf8;
}

std::wstring AfxUtf8ToWide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string AfxWideToUtf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr, nullptr);
    return utf8;
}
