// A dialog made as a child of another (a page under a window's tabs), in the
// offscreen backend: built from its own template, initialised once, holding
// its own controls, and gone when asked.
#include <gtest/gtest.h>

#include "fw/afxwin.h"
#include "fw/offscreen.h"
#include "res/resource.h"

namespace {

class Page : public CDialog {
public:
    explicit Page(UINT template_id) : CDialog(template_id) {}
    int inits = 0;

protected:
    BOOL OnInitDialog() override {
        ++inits;
        return CDialog::OnInitDialog();
    }
};

TEST(ChildDialog, MadeFromItsTemplateWithItsOwnControls) {
    CDialog host(IDD_ABOUTBOX);
    ASSERT_TRUE(fw::offscreen::CreateDialogWindow(host));
    Page page(IDD_TOOL_DIALOG);
    ASSERT_TRUE(page.Create(&host));
    ASSERT_NE(page.m_hWnd, nullptr);
    EXPECT_EQ(page.inits, 1);
    // The page's controls are the page's, not its parent's.
    EXPECT_NE(page.GetDlgItem(IDC_EDIT_INPUT), nullptr);
    EXPECT_EQ(host.GetDlgItem(IDC_EDIT_INPUT), nullptr);
    fw::offscreen::SetText(page, IDC_EDIT_INPUT, "abc");
    EXPECT_EQ(fw::offscreen::GetText(page, IDC_EDIT_INPUT), "abc");
    page.DestroyWindow();
    EXPECT_EQ(page.m_hWnd, nullptr);
    fw::offscreen::DestroyDialogWindow(host);
}

TEST(ChildDialog, NoTemplateNoWindow) {
    CDialog host(IDD_ABOUTBOX);
    ASSERT_TRUE(fw::offscreen::CreateDialogWindow(host));
    Page page(9999);
    EXPECT_FALSE(page.Create(&host));
    EXPECT_EQ(page.m_hWnd, nullptr);
    EXPECT_EQ(page.inits, 0);
    fw::offscreen::DestroyDialogWindow(host);
}

}  // namespace
