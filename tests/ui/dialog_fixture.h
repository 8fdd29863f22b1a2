// A main dialog opened on the offscreen backend, with the user's actions.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/offscreen.h"
#include "support/gbk.h"
#include "ui/tool_dlg.h"

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::offscreen::TakeMessageBoxes();
        ASSERT_TRUE(fw::offscreen::CreateDialogWindow(dlg));
    }
    void TearDown() override { fw::offscreen::DestroyDialogWindow(dlg); }

    void Type(int id, const std::string& gbk) { fw::offscreen::SetText(dlg, id, gbk); }
    void TypeInput(const std::string& gbk) { Type(IDC_EDIT_INPUT, gbk); }
    void Click(int id) { fw::offscreen::Click(dlg, id); }
    std::string Text(int id) { return fw::offscreen::GetText(dlg, id); }
    std::string Output() { return Text(IDC_EDIT_OUTPUT); }

    // The texts of the message boxes shown since the last call, in order.
    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        for (const auto& box : fw::offscreen::TakeMessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    CToolDlg dlg;
};
