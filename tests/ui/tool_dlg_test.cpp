// The main dialog's command flows, driven like a user on the offscreen backend.
#include <string>

#include "ui/dialog_fixture.h"

namespace {

using Strings = std::vector<std::string>;

TEST_F(DialogTest, OpensWithAsciiCheckedAndEmptyBoxes) {
    EXPECT_TRUE(fw::offscreen::IsChecked(dlg, IDC_RADIO_ASCII));
    EXPECT_FALSE(fw::offscreen::IsChecked(dlg, IDC_RADIO_HEX));
    EXPECT_FALSE(fw::offscreen::IsChecked(dlg, IDC_CHECK_LOWFIRST));
    EXPECT_FALSE(fw::offscreen::IsChecked(dlg, IDC_CHECK_TOPMOST));
    EXPECT_EQ(Text(IDC_EDIT_INPUT), "");
    EXPECT_EQ(Output(), "");
    EXPECT_FALSE(fw::offscreen::IsTopmost(dlg));
    for (int id = IDC_BTN_FILE2ARRAY; id <= IDC_BTN_RANDOM; ++id)
        EXPECT_FALSE(fw::offscreen::IsEnabled(dlg, id)) << id;
    for (int id : {IDC_BTN_SUM8, IDC_BTN_MD5, IDC_BTN_UPPER, IDC_BTN_CLEAR, IDCANCEL})
        EXPECT_TRUE(fw::offscreen::IsEnabled(dlg, id)) << id;
}

TEST_F(DialogTest, SystemMenuEndsWithTheAboutEntryAndIconsAreSet) {
    EXPECT_EQ(fw::offscreen::SystemMenuItems(dlg), (Strings{"-", Gbk("关于 QuobrixV1.0(&A)...")}));
    EXPECT_NE(dlg.m_hIcon, nullptr);
    EXPECT_EQ(fw::offscreen::Icon(dlg, true), dlg.m_hIcon);
    EXPECT_EQ(fw::offscreen::Icon(dlg, false), dlg.m_hIcon);
}

TEST_F(DialogTest, RadioButtonsExcludeEachOther) {
    Click(IDC_RADIO_HEX);
    EXPECT_TRUE(fw::offscreen::IsChecked(dlg, IDC_RADIO_HEX));
    EXPECT_FALSE(fw::offscreen::IsChecked(dlg, IDC_RADIO_ASCII));
    Click(IDC_RADIO_ASCII);
    EXPECT_TRUE(fw::offscreen::IsChecked(dlg, IDC_RADIO_ASCII));
    EXPECT_FALSE(fw::offscreen::IsChecked(dlg, IDC_RADIO_HEX));
    // The check boxes are not part of that exclusion.
    Click(IDC_CHECK_LOWFIRST);
    EXPECT_TRUE(fw::offscreen::IsChecked(dlg, IDC_CHECK_LOWFIRST));
    EXPECT_TRUE(fw::offscreen::IsChecked(dlg, IDC_RADIO_ASCII));
}

struct SumCase {
    const char* utf8_input;
    bool hex;
    const char* sum8;
    const char* sum16;
};

TEST_F(DialogTest, ChecksumReports) {
    const SumCase cases[] = {
        {"", false, "00", "00"},
        {"", true, "00", "00"},
        {"123456789", false, "DD", "1DD"},
        {"abc", false, "26", "126"},
        {"中", false, "A6", "1A6"},
        {"FF FF", true, "FE", "1FE"},
        {"80", true, "80", "80"},
        {"10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10", true, "00", "100"},
        {"41 42", false, "EB", "EB"},
        {"41 42", true, "83", "83"},
        {"A\r\nB", false, "9A", "9A"},
        {"中文 xyz", true, "00", "00"},
    };
    for (const SumCase& c : cases) {
        Click(c.hex ? IDC_RADIO_HEX : IDC_RADIO_ASCII);
        TypeInput(Gbk(c.utf8_input));
        Click(IDC_BTN_SUM8);
        EXPECT_EQ(Output(), Gbk("8位校验和：") + c.sum8 + "\r\n") << c.utf8_input;
        Click(IDC_BTN_SUM16);
        EXPECT_EQ(Output(), Gbk("16位校验和：") + c.sum16 + "\r\n") << c.utf8_input;
        EXPECT_EQ(Text(IDC_EDIT_INPUT), Gbk(c.utf8_input));
    }
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(DialogTest, SixteenBitSumWrapsAfter257Bytes) {
    Click(IDC_RADIO_HEX);
    std::string text;
    for (int i = 0; i < 257; ++i) text += "FF ";
    TypeInput(text);
    Click(IDC_BTN_SUM16);
    EXPECT_EQ(Output(), Gbk("16位校验和：FFFF\r\n"));
    TypeInput(text + "FF");
    Click(IDC_BTN_SUM16);
    EXPECT_EQ(Output(), Gbk("16位校验和：FE\r\n"));
}

TEST_F(DialogTest, ReportReplacesWhatTheUserTypedIntoTheOutputBox) {
    TypeInput("abc");
    Type(IDC_EDIT_OUTPUT, "scribbles");
    Click(IDC_BTN_SUM8);
    EXPECT_EQ(Output(), Gbk("8位校验和：26\r\n"));
    EXPECT_EQ(dlg.m_strInput, CString("abc"));
}

TEST_F(DialogTest, FullBufferOfCharactersIsAccepted) {
    TypeInput(std::string(WORK_BUFFER_SIZE, '\xFF'));
    Click(IDC_BTN_SUM16);
    EXPECT_EQ(Output(), Gbk("16位校验和：B000\r\n"));
    EXPECT_EQ(Boxes(), Strings{});
}

TEST_F(DialogTest, OneCharacterTooManyShowsTwoBoxesInOrder) {
    for (int button : {IDC_BTN_SUM8, IDC_BTN_SUM16}) {
        TypeInput(std::string(WORK_BUFFER_SIZE + 1, 'a'));
        Type(IDC_EDIT_OUTPUT, "old report");
        Click(button);
        EXPECT_EQ(Boxes(), (Strings{Gbk("输入字符太多……"), Gbk("输入字符串转换为数组出错！")}));
        EXPECT_EQ(Output(), Gbk("输入字符太多……"));
        EXPECT_EQ(Text(IDC_EDIT_INPUT).size(), static_cast<size_t>(WORK_BUFFER_SIZE + 1));
    }
}

TEST_F(DialogTest, DoubleByteCharactersCountTwiceAgainstTheLimit) {
    // 10240 characters of two bytes each fill the buffer exactly; one more
    // single-byte character no longer fits.
    std::string text;
    for (int i = 0; i < WORK_BUFFER_SIZE / 2; ++i) text += Gbk("中");
    TypeInput(text);
    Click(IDC_BTN_SUM8);
    EXPECT_EQ(Boxes(), Strings{});
    TypeInput(text + "a");
    Click(IDC_BTN_SUM8);
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(DialogTest, HexTextBeyondTheBufferFailsLikeTooManyCharacters) {
    Click(IDC_RADIO_HEX);
    TypeInput(std::string(2 * WORK_BUFFER_SIZE, '1'));
    Click(IDC_BTN_SUM16);
    EXPECT_EQ(Boxes(), Strings{});
    EXPECT_EQ(Output(), Gbk("16位校验和：5000\r\n"));  // 20480 bytes of 11

    TypeInput(std::string(2 * WORK_BUFFER_SIZE + 1, '1'));
    Click(IDC_BTN_SUM16);
    EXPECT_EQ(Boxes(), (Strings{Gbk("输入字符太多……"), Gbk("输入字符串转换为数组出错！")}));
    EXPECT_EQ(Output(), Gbk("输入字符太多……"));
}

TEST_F(DialogTest, PlaceholderCommandsAnnounceConstructionWithoutChangingText) {
    TypeInput("in");
    Type(IDC_EDIT_OUTPUT, "out");
    // Disabled buttons cannot be clicked...
    Click(IDC_BTN_RESISTOR);
    EXPECT_EQ(Boxes(), Strings{});
    // ...but their commands are routed all the same.
    for (int id = IDC_BTN_FILE2ARRAY; id <= IDC_BTN_RANDOM; ++id)
        fw::offscreen::Send(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    EXPECT_EQ(Boxes(), Strings(7, Gbk("建设中……")));
    EXPECT_EQ(Text(IDC_EDIT_INPUT), "in");
    EXPECT_EQ(Output(), "out");
}

TEST_F(DialogTest, MessageBoxesCarryTheTitleAndTheExclamationIcon) {
    TypeInput(std::string(WORK_BUFFER_SIZE + 1, 'a'));
    Click(IDC_BTN_SUM8);
    for (const auto& box : fw::offscreen::TakeMessageBoxes()) {
        EXPECT_EQ(box.caption, "Quobrix");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
}

TEST_F(DialogTest, ExitFadesOnceAndCancels) {
    Click(IDCANCEL);
    EXPECT_TRUE(fw::offscreen::IsEnded(dlg));
    EXPECT_EQ(fw::offscreen::EndResult(dlg), IDCANCEL);
    EXPECT_EQ(fw::offscreen::FadeCount(dlg), 1);
}

TEST_F(DialogTest, CloseFadesOnceThenCancels) {
    fw::offscreen::Send(dlg, WM_CLOSE);
    EXPECT_TRUE(fw::offscreen::IsEnded(dlg));
    EXPECT_EQ(fw::offscreen::EndResult(dlg), IDCANCEL);
    EXPECT_EQ(fw::offscreen::FadeCount(dlg), 1);
    EXPECT_FALSE(fw::offscreen::IsVisible(dlg));
}

// The fade holds the message loop, so what the user does meanwhile is
// handled after it. Once the close has begun, tools, placeholders and the
// About entry do nothing; the cancel that ends the dialog still counts.
TEST_F(DialogTest, CommandsAfterTheCloseBeganAreDropped) {
    struct Closing {
        const char* what;
        void (*begin)(CToolDlg& dlg);
    };
    const Closing closings[] = {
        {"exit button", [](CToolDlg& d) { fw::offscreen::Click(d, IDCANCEL); }},
        {"close message", [](CToolDlg& d) { fw::offscreen::Send(d, WM_CLOSE); }},
    };
    for (const Closing& closing : closings) {
        SCOPED_TRACE(closing.what);
        fw::offscreen::DestroyDialogWindow(dlg);
        ASSERT_TRUE(fw::offscreen::CreateDialogWindow(dlg));
        const std::string too_long(WORK_BUFFER_SIZE + 1, 'a');
        // Before the close the same commands show boxes and change the output.
        TypeInput(too_long);
        Click(IDC_BTN_SUM8);
        ASSERT_EQ(Boxes().size(), 2u);
        fw::offscreen::TakeModalDialogs();

        TypeInput("abc");
        Type(IDC_EDIT_OUTPUT, "out");
        closing.begin(dlg);
        ASSERT_TRUE(fw::offscreen::IsEnded(dlg));
        Click(IDC_BTN_SUM8);
        Click(IDC_BTN_UPPER);
        fw::offscreen::Send(dlg, WM_COMMAND, MAKEWPARAM(IDC_BTN_PRINTF, BN_CLICKED), 0);
        fw::offscreen::Send(dlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_EQ(Boxes(), Strings{});
        EXPECT_TRUE(fw::offscreen::TakeModalDialogs().empty()) << "the About box opened";
        EXPECT_EQ(Output(), "out");
        EXPECT_EQ(dlg.m_strInput, CString(too_long.c_str())) << "a tool read the input box";

        Click(IDCANCEL);
        EXPECT_EQ(fw::offscreen::EndResult(dlg), IDCANCEL);
        EXPECT_EQ(fw::offscreen::FadeCount(dlg), 1);
    }
}

TEST_F(DialogTest, EnterOutsideTheInputBoxEndsAtOnceWithoutFade) {
    TypeInput("kept");
    fw::offscreen::Send(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(fw::offscreen::IsEnded(dlg));
    EXPECT_EQ(fw::offscreen::EndResult(dlg), IDOK);
    EXPECT_EQ(fw::offscreen::FadeCount(dlg), 0);
    EXPECT_EQ(dlg.m_strInput, CString("kept"));
}

}  // namespace

namespace {

TEST_F(DialogTest, MinimisedPaintCentresTheIcon) {
    fw::offscreen::TakeIconDraws();
    fw::offscreen::SetIconic(dlg, true);
    const struct {
        int client, expected;
    } cases[] = {{36, 2}, {37, 3}, {32, 0}, {31, 0}, {20, -5}};  // (20 - 32 + 1) / 2 rounds toward zero
    for (const auto& c : cases) {
        fw::offscreen::SetClientSize(dlg, c.client, c.client);
        fw::offscreen::Send(dlg, WM_PAINT);
        const auto draws = fw::offscreen::TakeIconDraws();
        ASSERT_EQ(draws.size(), 1u) << c.client;
        EXPECT_EQ(draws[0].x, c.expected) << c.client;
        EXPECT_EQ(draws[0].y, c.expected) << c.client;
        EXPECT_EQ(draws[0].icon, dlg.m_hIcon);
    }
    fw::offscreen::SetIconic(dlg, false);
    fw::offscreen::Send(dlg, WM_PAINT);
    EXPECT_TRUE(fw::offscreen::TakeIconDraws().empty());
}

TEST_F(DialogTest, AboutEntryRunsTheAboutBoxForItsWholeIdRange) {
    fw::offscreen::TakeModalDialogs();
    for (WPARAM id : {0x0010, 0x0013, 0x001F})
        fw::offscreen::Send(dlg, WM_SYSCOMMAND, id, 0);
    EXPECT_EQ(fw::offscreen::TakeModalDialogs(), (std::vector<int>(3, IDD_ABOUTBOX)));
    fw::offscreen::Send(dlg, WM_SYSCOMMAND, 0x0020, 0);
    EXPECT_TRUE(fw::offscreen::TakeModalDialogs().empty());
    EXPECT_FALSE(fw::offscreen::IsEnded(dlg));
}

TEST_F(DialogTest, PinningFollowsTheCheckBox) {
    Click(IDC_CHECK_TOPMOST);
    EXPECT_TRUE(fw::offscreen::IsTopmost(dlg));
    Click(IDC_CHECK_TOPMOST);
    EXPECT_FALSE(fw::offscreen::IsTopmost(dlg));
}

}  // namespace
