// The dialog's rows of tools against its template in the resource script:
// every enabled tool button has one row, every row an enabled button, and the
// placeholders, disabled, none. The template is read through the table the
// offscreen backend builds from res/quobrix.rc, not through the dialog's code.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fw/dialog_template.h"
#include "ui/dialog_fixture.h"
#include "ui/tool_dlg_tools.h"

namespace {

constexpr DWORD kPushButton = 0x0;  // BS_PUSHBUTTON, winuser.h

bool IsPushButton(const fw::ControlTemplate& control) {
    return std::strcmp(control.class_name, "button") == 0 && (control.style & BS_TYPEMASK) == kPushButton;
}

// The template's push buttons by id: true for the enabled ones. Exit and
// the clear button work on the dialog itself, not on the input: no tools.
std::map<int, bool> ToolButtons() {
    const fw::DialogTemplate* dialog = fw::FindDialogTemplate(IDD_TOOL_DIALOG);
    std::map<int, bool> buttons;
    if (dialog == nullptr) return buttons;
    for (int i = 0; i < dialog->control_count; ++i) {
        const fw::ControlTemplate& control = dialog->controls[i];
        if (!IsPushButton(control) || control.id == IDCANCEL || control.id == IDC_BTN_CLEAR) continue;
        buttons[control.id] = (control.style & WS_DISABLED) == 0;
    }
    return buttons;
}

}  // namespace

TEST(DialogTools, EveryEnabledToolButtonHasARowAndEveryRowAButton) {
    const std::map<int, bool> buttons = ToolButtons();
    ASSERT_FALSE(buttons.empty()) << "no template of the main dialog";
    std::set<int> rows;
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const DialogTool& tool = kDialogTools[i];
        EXPECT_TRUE(rows.insert(tool.button_id).second) << tool.name << ": a second row of its button";
        const auto button = buttons.find(tool.button_id);
        ASSERT_NE(button, buttons.end()) << tool.name << ": no push button of the template";
        EXPECT_TRUE(button->second) << tool.name << ": its button is disabled";
    }
    std::size_t disabled = 0;
    for (const auto& [id, enabled] : buttons) {
        if (enabled) {
            EXPECT_EQ(rows.count(id), 1u) << "button " << id << " has no row";
        } else {
            ++disabled;
            EXPECT_EQ(rows.count(id), 0u) << "placeholder " << id << " has a row";
        }
    }
    EXPECT_EQ(disabled, 7u);  // file to array, resistor, filter, capacitor, inductor, printf, random
}

// Every tool that decodes, given more than the work buffer holds (as hex
// digits or as characters), shows the boxes the rows name, in that order.
TEST_F(DialogTest, ToolsThatDecodeShowTheTooLongMessages) {
    const std::vector<std::string> expected(std::begin(kInputTooLongMessages), std::end(kInputTooLongMessages));
    const std::string digits(2 * (WORK_BUFFER_SIZE + 1), '1');
    for (std::size_t i = 0; i < kDialogToolCount; ++i) {
        const DialogTool& tool = kDialogTools[i];
        if (!tool.mode) continue;
        TypeInput(digits);
        Click(tool.button_id);
        EXPECT_EQ(Boxes(), expected) << tool.name;
    }
}
