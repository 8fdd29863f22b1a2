// What the main dialog must look like, written down independently of the
// resource script: the control table, the window's own attributes and the
// order in which the Tab key visits the controls.
#pragma once

#include <windows.h>

#include "res/resource.h"

namespace window_test {

struct ExpectedControl {
    int id;
    const char* class_name;  // as GetClassName reports it
    const char* caption;     // UTF-8
    int x, y, width, height; // dialog units
    DWORD style;             // as in the template
};

namespace style {
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kPlaceholder = kButton | WS_DISABLED;
constexpr DWORD kInputEdit = kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                             ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
constexpr DWORD kOutputEdit = kInputEdit & ~static_cast<DWORD>(ES_WANTRETURN);
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kCheckBox = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
// The published values of the two edit boxes.
static_assert(kInputEdit == 0x50B110C4, "input box style");
static_assert(kOutputEdit == 0x50B100C4, "output box style");
}  // namespace style

inline constexpr ExpectedControl kMainDialogControls[] = {
    {IDCANCEL, "Button", u8"退出", 377, 7, 50, 14, style::kButton},
    {IDC_EDIT_INPUT, "Edit", "", 7, 18, 284, 141, style::kInputEdit},
    {IDC_EDIT_OUTPUT, "Edit", "", 7, 175, 285, 144, style::kOutputEdit},
    {IDC_BTN_SUM8, "Button", u8"8位校验和", 297, 87, 50, 14, style::kButton},
    {IDC_STATIC, "Static", u8"输入：", 7, 7, 25, 8, style::kLabel},
    {IDC_STATIC, "Static", u8"输出：", 7, 164, 25, 8, style::kLabel},
    {IDC_BTN_SUM16, "Button", u8"16位校验和", 297, 105, 50, 14, style::kButton},
    {IDC_BTN_CRC8, "Button", u8"计算CRC8", 297, 124, 50, 14, style::kButton},
    {IDC_BTN_CRC16, "Button", u8"计算CRC16", 297, 143, 50, 14, style::kButton},
    {IDC_BTN_CRC32, "Button", u8"计算CRC32", 297, 163, 50, 14, style::kButton},
    {IDC_BTN_HEX2ASCII, "Button", "Hex->Ascii", 297, 199, 50, 14, style::kButton},
    {IDC_BTN_HEX2FLOAT, "Button", "Hex->Float", 297, 237, 50, 14, style::kButton},
    {IDC_BTN_FLOAT2HEX, "Button", "Float->Hex", 297, 255, 50, 14, style::kButton},
    {IDC_BTN_ASCII2HEX, "Button", "Ascii->Hex", 297, 218, 50, 14, style::kButton},
    {IDC_BTN_CHARCOUNT, "Button", u8"字符个数", 297, 277, 50, 14, style::kButton},
    {IDC_BTN_MD5, "Button", u8"计算MD5", 297, 181, 50, 14, style::kButton},
    {IDC_STATIC, "Button", u8"输入格式", 298, 31, 54, 36, style::kGroupBox},
    {IDC_RADIO_ASCII, "Button", "Ascii", 301, 42, 36, 10, style::kRadio},
    {IDC_RADIO_HEX, "Button", "Hex", 301, 55, 28, 10, style::kRadio},
    {IDC_CHECK_LOWFIRST, "Button", u8"低字节在前", 298, 72, 56, 10, style::kCheckBox},
    {IDC_CHECK_TOPMOST, "Button", u8"钉住窗口", 297, 7, 48, 10, style::kCheckBox},
    {IDC_BTN_FILE2ARRAY, "Button", u8"文件->数组", 358, 87, 50, 14, style::kPlaceholder},
    {IDC_BTN_RESISTOR, "Button", u8"电阻值选型", 358, 106, 50, 14, style::kPlaceholder},
    {IDC_BTN_FILTER, "Button", u8"滤波器选型", 358, 161, 50, 14, style::kPlaceholder},
    {IDC_BTN_CAPACITOR, "Button", u8"电容值选型", 358, 124, 50, 14, style::kPlaceholder},
    {IDC_BTN_INDUCTOR, "Button", u8"电感值选型", 358, 143, 50, 14, style::kPlaceholder},
    {IDC_BTN_PRINTF, "Button", u8"Printf函数", 358, 181, 50, 14, style::kPlaceholder},
    {IDC_BTN_RANDOM, "Button", u8"随机数集合", 358, 199, 50, 14, style::kPlaceholder},
    {IDC_BTN_UPPER, "Button", u8"转换为大写", 358, 218, 50, 14, style::kButton},
    {IDC_BTN_LOWER, "Button", u8"转换为小写", 358, 237, 50, 14, style::kButton},
    {IDC_BTN_REVERSE, "Button", u8"字符串反转", 358, 255, 50, 14, style::kButton},
    {IDC_BTN_HEXCONV, "Button", u8"十六进制转换", 357, 277, 50, 14, style::kButton},
    {IDC_BTN_CLEAR, "Button", u8"清空输入框", 83, 3, 45, 14, style::kButton},
};
static_assert(sizeof kMainDialogControls / sizeof kMainDialogControls[0] == 33,
              "the main dialog has 33 controls");

// The window itself.
inline constexpr char kMainCaption[] = "QuobrixV1.0  dev@quobrix.example";
constexpr DWORD kMainStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT;
static_assert(kMainStyle == 0x90CA00C0, "main dialog style");
constexpr int kMainWidth = 434, kMainHeight = 326;  // dialog units
inline constexpr wchar_t kDialogFontFace[] = L"\u5B8B\u4F53";  // 宋体
constexpr WORD kDialogFontPoints = 9;

// The controls that can take the focus, in the order Tab visits them.
inline constexpr int kTabOrder[] = {
    IDCANCEL,          IDC_EDIT_INPUT,     IDC_EDIT_OUTPUT,   IDC_BTN_SUM8,
    IDC_BTN_SUM16,     IDC_BTN_CRC8,       IDC_BTN_CRC16,     IDC_BTN_CRC32,
    IDC_BTN_HEX2ASCII, IDC_BTN_HEX2FLOAT,  IDC_BTN_FLOAT2HEX, IDC_BTN_ASCII2HEX,
    IDC_BTN_CHARCOUNT, IDC_BTN_MD5,        IDC_CHECK_LOWFIRST, IDC_CHECK_TOPMOST,
    IDC_BTN_UPPER,     IDC_BTN_LOWER,      IDC_BTN_REVERSE,   IDC_BTN_HEXCONV,
    IDC_BTN_CLEAR,
};

}  // namespace window_test
