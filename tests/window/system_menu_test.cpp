// The main dialog's system menu, read inside the program by the probe: the
// window system keeps menus private to their process.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "tests/window/gbk.h"
#include "tests/window/probed_app_test.h"
#include "res/resource.h"

namespace window_test {
namespace {

using window_probe::MenuItem;

struct ExpectedItem {
    UINT type;
    UINT id;
    const char* text;  // UTF-8
};

std::string Describe(UINT type, UINT id, const std::string& gbk_text) {
    if (type == MFT_SEPARATOR) return "separator";
    char head[48];
    std::snprintf(head, sizeof head, "type 0x%X id 0x%04X ", type, id);
    return head + Show(gbk_text);
}

std::string Describe(const MenuItem& item) { return Describe(item.type, item.id, item.text); }

// The window system's own items come first (under Wine also its "关于 Wine");
// the program appends a separator and its About item.
const ExpectedItem kMenuTail[] = {
    {MFT_SEPARATOR, 0, ""},
    {MFT_STRING, IDM_ABOUTBOX, u8"关于 QuobrixV1.0(&A)..."},
};

using SystemMenu = ProbedAppTest;

TEST_F(SystemMenu, EndsWithSeparatorAndAboutItem) {
    window_probe::SystemMenuReply menu = {};
    std::string error;
    ASSERT_TRUE(probe_.ReadSystemMenu(dialog(), &menu, &error)) << error;
    ExpectAnsweredInProgram(menu.origin);
    const int tail = static_cast<int>(std::size(kMenuTail));
    ASSERT_GE(menu.item_count, tail) << "the dialog has no system menu of its own";
    ASSERT_LE(menu.item_count, window_probe::kMaxMenuItems);

    std::string whole_menu;
    int about_items = 0;
    for (int i = 0; i < menu.item_count; ++i) {
        whole_menu += "\n  " + Describe(menu.items[i]);
        if (menu.items[i].id == IDM_ABOUTBOX) ++about_items;
    }
    SCOPED_TRACE("the system menu:" + whole_menu);
    for (int i = 0; i < tail; ++i) {
        const ExpectedItem& e = kMenuTail[i];
        EXPECT_EQ(Describe(menu.items[menu.item_count - tail + i]),
                  Describe(e.type, e.id, Gbk(e.text)))
            << "item " << menu.item_count - tail + i;
    }
    EXPECT_EQ(about_items, 1) << "the About item must be appended once";
}

}  // namespace
}  // namespace window_test
