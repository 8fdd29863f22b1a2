// The workbench window as built from its templates: every control of
// res/workbench.rc, read here from the script itself (GBK), is a child of the
// live window or of its page's window in the script's order, with its id,
// class, text, styles and place; so a control the code moves, restyles or
// forgets shows here. The pages are the window's children after the tabs,
// each at the same place, so that their controls sit where they sat as the
// window's own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "res/workbench_resource.h"
#include "tests/window/app_session.h"
#include "tests/window/dialog_units.h"
#include "tests/window/gbk.h"
#include "tests/window/remote_window.h"
#include "tests/window/workbench_pages.h"

namespace window_test {
namespace {

// The constants the script names, with the values of the platform's headers.
const std::map<std::string, DWORD>& Constants() {
    static const std::map<std::string, DWORD> constants = {
        {"WS_CHILD", WS_CHILD}, {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED},
        {"WS_BORDER", WS_BORDER}, {"WS_VSCROLL", WS_VSCROLL}, {"WS_HSCROLL", WS_HSCROLL},
        {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP}, {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
        {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"BS_AUTO3STATE", BS_AUTO3STATE}, {"ES_LEFT", ES_LEFT},
        {"ES_MULTILINE", ES_MULTILINE},
        {"ES_AUTOVSCROLL", ES_AUTOVSCROLL}, {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"ES_READONLY", ES_READONLY},
        {"ES_WANTRETURN", ES_WANTRETURN}, {"SS_LEFT", SS_LEFT}, {"SS_NOPREFIX", SS_NOPREFIX},
        {"CBS_DROPDOWN", CBS_DROPDOWN}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
        {"CBS_AUTOHSCROLL", CBS_AUTOHSCROLL}, {"LVS_REPORT", LVS_REPORT},
        {"LVS_SHOWSELALWAYS", LVS_SHOWSELALWAYS}, {"LVS_SINGLESEL", LVS_SINGLESEL},
    };
    return constants;
}

// The distance of the pages from the window's top, in dialog units.
constexpr int kPageTopUnits = 16;

struct ScriptControl {
    std::string text, id_name, class_name;
    int id = 0;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string line;
};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// The ids of the resource header, numbers and names of numbers.
std::map<std::string, int> Ids(const std::string& header_path) {
    std::map<std::string, std::string> defines;
    std::ifstream header(header_path);
    std::string line;
    while (std::getline(header, line)) {
        std::istringstream words(line);
        std::string hash, name, value;
        if (words >> hash >> name >> value && hash == "#define") defines[name] = value;
    }
    std::map<std::string, int> ids;
    for (const auto& define : defines) {
        std::string value = define.second;
        for (int depth = 0; depth < 4 && defines.count(value); ++depth) value = defines[value];
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 0);
        if (end && *end == '\0') ids[define.first] = static_cast<int>(number);
    }
    return ids;
}

struct ScriptDialog {
    std::string name;
    std::vector<ScriptControl> controls;
};

// The dialogs (NAME DIALOGEX ...) and their CONTROL lines: "TEXT", ID,
// "CLASS", STYLE, X, Y, CX, CY[, EXSTYLE].
std::vector<ScriptDialog> ScriptDialogs(const std::string& script_path, const std::map<std::string, int>& ids) {
    std::vector<ScriptDialog> dialogs;
    std::ifstream script(script_path, std::ios::binary);
    std::string line;
    while (std::getline(script, line)) {
        line = Trimmed(line);
        const size_t dialogex = line.find(" DIALOGEX ");
        if (dialogex != std::string::npos) {
            dialogs.push_back({line.substr(0, dialogex), {}});
            continue;
        }
        if (line.compare(0, 8, "CONTROL ") != 0 || dialogs.empty()) continue;
        std::vector<ScriptControl>& controls = dialogs.back().controls;
        ScriptControl control;
        control.line = line;
        const size_t text_end = line.find('"', 9);
        control.text = line.substr(9, text_end - 9);
        std::vector<std::string> fields;
        std::string rest = line.substr(text_end + 2), field;
        std::istringstream parts(rest);
        while (std::getline(parts, field, ',')) fields.push_back(Trimmed(field));
        if (fields.size() < 7) continue;
        control.id_name = fields[0];
        control.id = ids.count(fields[0]) ? ids.at(fields[0]) : std::atoi(fields[0].c_str());
        control.class_name = fields[1].substr(1, fields[1].size() - 2);
        std::istringstream flags(fields[2]);
        std::string flag;
        while (flags >> flag) {
            if (flag == "|") continue;
            EXPECT_TRUE(Constants().count(flag)) << "unknown style " << flag;
            if (Constants().count(flag)) control.style |= Constants().at(flag);
        }
        control.x = std::atoi(fields[3].c_str());
        control.y = std::atoi(fields[4].c_str());
        control.cx = std::atoi(fields[5].c_str());
        control.cy = std::atoi(fields[6].c_str());
        controls.push_back(control);
    }
    return dialogs;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class WorkbenchTemplate : public AppTest {
protected:
    void SetUp() override {
        // The window at the template's size: no place kept from before.
        wchar_t folder[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
        DeleteFileW((std::wstring(folder) + L"\\Quobrix\\workbench.ini").c_str());
        AppTest::SetUp();
    }
};

// The controls of one template, children of `window` in the script's order.
void ExpectControls(HWND window, const std::vector<ScriptControl>& script, const std::vector<HWND>& children,
                    const DialogUnits& units) {
    ASSERT_EQ(children.size(), script.size());
    // Hidden pages and the checked radio buttons change these as the window
    // runs; the rest is the script's.
    const DWORD kept = WS_DISABLED | WS_BORDER | WS_VSCROLL | WS_GROUP | 0xFFFF;
    for (size_t i = 0; i < script.size(); ++i) {
        const ScriptControl& control = script[i];
        SCOPED_TRACE(Show(control.line));
        HWND child = children[i];
        EXPECT_EQ(GetParent(child), window);
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        EXPECT_EQ(Lower(ClassNameOf(child)), Lower(control.class_name));
        if (Lower(control.class_name) != "edit" && Lower(control.class_name) != "combobox" && !control.text.empty()) {
            EXPECT_EQ(Show(CaptionOf(child)), Show(control.text));
        }
        DWORD expected = control.style & kept, actual = StyleOf(child) & kept;
        const std::string kind = Lower(control.class_name);
        if (kind == "edit" || kind == "syslistview32" || kind == "msctls_progress32") {
            // These trade WS_BORDER for the sunken edge when created.
            expected &= ~static_cast<DWORD>(WS_BORDER);
            actual &= ~static_cast<DWORD>(WS_BORDER);
        }
        if (kind == "combobox" || control.id == IDC_CRC_MODEL_NOTE) {
            // A combo box's scroll bar is its list's; the model's note shows
            // its own only while its text is longer than the box.
            expected &= ~static_cast<DWORD>(WS_VSCROLL);
            actual &= ~static_cast<DWORD>(WS_VSCROLL);
        }
        if ((control.style & 0xF) == BS_AUTORADIOBUTTON && Lower(control.class_name) == "button") {
            expected &= ~static_cast<DWORD>(WS_TABSTOP);  // a checked radio button takes a tab stop
            actual &= ~static_cast<DWORD>(WS_TABSTOP);
        }
        EXPECT_EQ(actual, expected) << std::hex << actual << " " << expected;
        const PixelBox box = units.ToPixels(control.x, control.y, control.cx, control.cy);
        const RECT rect = RectInParent(child);
        EXPECT_EQ(rect.left, box.x);
        EXPECT_EQ(rect.top, box.y);
        EXPECT_EQ(rect.right - rect.left, box.width);
        // A combo box's height in the script is that of its open list.
        if (Lower(control.class_name) != "combobox") {
            EXPECT_EQ(rect.bottom - rect.top, box.height);
        }
    }
}

TEST_F(WorkbenchTemplate, EveryControlOfTheScriptInItsOrderAndPlace) {
    const std::string res = WindowsPathOf(QUOBRIX_SOURCE_DIR "/res/");
    const std::map<std::string, int> ids = Ids(res + "workbench_resource.h");
    const std::vector<ScriptDialog> script = ScriptDialogs(res + "workbench.rc", ids);
    ASSERT_EQ(script.size(), 12u);
    ASSERT_EQ(script[0].name, "IDD_WORKBENCH");
    size_t controls = 0;
    for (const ScriptDialog& dialog : script) controls += dialog.controls.size();
    ASSERT_GT(controls, 60u);
    EXPECT_EQ(CaptionOf(dialog()), Gbk(u8"Quobrix 工作台"));
    const DWORD frame = WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU | WS_CAPTION;
    EXPECT_EQ(StyleOf(dialog()) & frame, frame);
    EXPECT_TRUE(ExStyleOf(dialog()) & WS_EX_ACCEPTFILES);

    // A page's window is made when its tab is first shown: each shown in
    // turn, they are made in the script's order, then the first again.
    HWND tabs = GetDlgItem(dialog(), IDC_WB_TABS);
    ASSERT_NE(tabs, nullptr);
    for (size_t p = 1; p < script.size(); ++p) ClickWorkbenchTab(tabs, static_cast<int>(p - 1));
    ClickWorkbenchTab(tabs, 0);

    // The window's own controls, then its pages in the script's order.
    const std::vector<HWND> children = ChildrenOf(dialog());
    const size_t own = script[0].controls.size();
    ASSERT_EQ(children.size(), own + script.size() - 1);
    DialogUnits units(L"宋体", 9);
    ASSERT_TRUE(units.ok());
    ExpectControls(dialog(), script[0].controls, std::vector<HWND>(children.begin(), children.begin() + own), units);
    RECT client = {};
    GetClientRect(dialog(), &client);
    const PixelBox top = units.ToPixels(0, kPageTopUnits, 0, 0);
    for (size_t p = 1; p < script.size(); ++p) {
        SCOPED_TRACE(script[p].name);
        HWND page = children[own + p - 1];
        ASSERT_TRUE(ids.count(script[p].name));
        EXPECT_EQ(GetDlgCtrlID(page), ids.at(script[p].name));
        EXPECT_EQ(ClassNameOf(page), "#32770");
        EXPECT_EQ(StyleOf(page) & (WS_CHILD | DS_CONTROL), static_cast<DWORD>(WS_CHILD | DS_CONTROL));
        const RECT rect = RectInParent(page);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, top.y);
        EXPECT_EQ(rect.right, client.right);
        EXPECT_EQ(rect.bottom, client.bottom);
        ExpectControls(page, script[p].controls, ChildrenOf(page), units);
    }
}

}  // namespace
}  // namespace window_test
