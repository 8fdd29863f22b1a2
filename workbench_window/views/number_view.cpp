#include "workbench_window/views/number_view.h"

#include "fw/win32/controls.h"
#include "workbench_window/pages/number_page.h"

namespace {

// The command line's column names, as the page's headings say them.
std::vector<std::string> Headings(const std::vector<std::string>& header) {
    std::vector<std::string> headings;
    for (const std::string& name : header) {
        headings.push_back(AfxUtf8ToGbk(name == "order" ? "字节序" : name == "hex" ? "十六进制" : name == "bytes" ? "字节" : name));
    }
    return headings;
}

}  // namespace

BEGIN_MESSAGE_MAP(CNumberView, CPageView)
    ON_COMMAND(IDC_NUM_RUN, OnNumbers)
    ON_COMMAND(IDC_NUM_BACK, OnBytes)
END_MESSAGE_MAP()

BOOL CNumberView::OnInitDialog() {
    CPageView::OnInitDialog();
    FollowSize({
        {IDC_NUM_LIST, kStretchX},
        {IDC_NUM_BYTES_LIST, kStretchX | kStretchY},
        {IDC_NUM_MSG, kStretchX | kMoveY},
    });
    CComboBox types(Item(IDC_NUM_TYPE));
    for (const std::string& name : number_page::TypeNames()) types.AddString(name.c_str());
    // float32, the type the question is most often about.
    types.SetCurSel(static_cast<int>(types.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                       reinterpret_cast<LPARAM>("float32"))));
    // Both tables with their first columns from the start: a list's header
    // with no columns paints nothing, and what was behind it would show
    // through until the first answer.
    CListCtrl numbers(Item(IDC_NUM_LIST));
    numbers.SetTableStyle();
    numbers.SetColumns({AfxUtf8ToGbk("字节序"), AfxUtf8ToGbk("十六进制")}, {50, 80});
    CListCtrl bytes(Item(IDC_NUM_BYTES_LIST));
    bytes.SetTableStyle();
    bytes.SetColumns({AfxUtf8ToGbk("字节序"), AfxUtf8ToGbk("字节")}, {70, 160});
    return FALSE;
}

void CNumberView::RunEnter() {
    const int focused = FocusedId();
    if (focused == IDC_NUM_VALUE || focused == IDC_NUM_TYPE) {
        OnBytes();
    } else {
        OnNumbers();
    }
}

void CNumberView::ShowBytes(const std::string& hex) {
    SetText(IDC_NUM_HEX, hex);
    OnNumbers();
}

void CNumberView::OnNumbers() {
    const number_page::Table table = number_page::NumbersOf(Text(IDC_NUM_HEX));
    CListCtrl list(Item(IDC_NUM_LIST));
    SetText(IDC_NUM_MSG, table.error);
    if (!table.error.empty()) {
        list.DeleteAllItems();
        return;
    }
    std::vector<int> widths(table.header.size(), 80);
    widths[0] = 50;
    list.SetColumns(Headings(table.header), widths);
    list.SetRows(table.rows);
}

void CNumberView::OnBytes() {
    CComboBox types(Item(IDC_NUM_TYPE));
    const number_page::Table table = number_page::BytesOf(types.GetLBText(types.GetCurSel()), Text(IDC_NUM_VALUE));
    CListCtrl list(Item(IDC_NUM_BYTES_LIST));
    SetText(IDC_NUM_MSG, table.error);
    if (!table.error.empty()) {
        list.DeleteAllItems();
        return;
    }
    list.SetColumns(Headings(table.header), {70, 160});
    list.SetRows(table.rows);
}
