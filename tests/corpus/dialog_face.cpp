// The dialog's face of the corpus: the main dialog on the offscreen backend,
// used as a user uses it, with nothing of the command line in between.
//
//   corpus_dialog_face TOOL FORMAT LOW_FIRST GBK_HEX
//
// types the GBK bytes into the input box, clicks the format's radio button
// (hex, ascii, or none of them), the low-first check box when LOW_FIRST is
// 1, then the tool's button, and prints
// {"output_hex": "...", "messages_hex": ["...", ...]}: the output box's
// bytes and each message box's text, GBK, in the order shown.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "fw/offscreen.h"
#include "res/resource.h"
#include "tests/corpus/face_json.h"
#include "ui/tool_dlg.h"
#include "ui/tool_dlg_tools.h"

namespace {

using corpus_face::Named;
using corpus_face::UnknownWord;

// The input as it was typed, and what to press.
struct UserActions {
    int tool_button = 0;
    int format_button = 0;  // 0: the format the dialog opens with
    bool low_first = false;
    std::string gbk_input;
};

struct DialogAnswer {
    std::string output;
    std::vector<std::string> messages;
};

int ToolButton(const std::string& name) {
    const DialogTool* const end = kDialogTools + kDialogToolCount;
    const DialogTool* const tool =
        std::find_if(kDialogTools, end, [&](const DialogTool& row) { return name == row.name; });
    if (tool == end) throw UnknownWord(Named("unknown tool", name));
    return tool->button_id;
}

int FormatButton(const std::string& format) {
    if (format == "hex") return IDC_RADIO_HEX;
    if (format == "ascii") return IDC_RADIO_ASCII;
    if (format == "none") return 0;
    throw UnknownWord(Named("unknown format", format));
}

bool LowFirst(const std::string& word) {
    if (word == "0") return false;
    if (word == "1") return true;
    throw UnknownWord(Named("LOW_FIRST is not 0 or 1", word));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string InputBytes(const std::string& hex) {
    if (hex.size() % 2 != 0) throw UnknownWord(Named("GBK_HEX has an odd number of digits", hex));
    std::string bytes;
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = HexDigit(hex[at]), low = HexDigit(hex[at + 1]);
        if (high < 0 || low < 0) throw UnknownWord(Named("GBK_HEX is not hex digits", hex));
        bytes += static_cast<char>(high * 16 + low);
    }
    // An edit control holds text up to its first NUL: such an input cannot be typed.
    if (bytes.find('\0') != std::string::npos) throw UnknownWord(Named("the input box cannot hold a NUL byte", hex));
    return bytes;
}

// false when the dialog could not be created.
bool RunDialog(const UserActions& actions, DialogAnswer& answer) {
    namespace offscreen = fw::offscreen;
    CToolDlg dialog;
    if (!offscreen::CreateDialogWindow(dialog)) return false;
    offscreen::TakeMessageBoxes();  // the tool's boxes only
    offscreen::SetText(dialog, IDC_EDIT_INPUT, actions.gbk_input);
    if (actions.format_button != 0) offscreen::Click(dialog, actions.format_button);
    if (actions.low_first) offscreen::Click(dialog, IDC_CHECK_LOWFIRST);
    offscreen::Click(dialog, actions.tool_button);
    for (const offscreen::MessageBoxRecord& box : offscreen::TakeMessageBoxes()) answer.messages.push_back(box.text);
    answer.output = offscreen::GetText(dialog, IDC_EDIT_OUTPUT);
    offscreen::DestroyDialogWindow(dialog);
    return true;
}

std::string Answer(const DialogAnswer& answer) {
    std::string json = "{\"output_hex\": \"" + corpus_face::LowerHex(answer.output) + "\", \"messages_hex\": [";
    for (std::size_t i = 0; i < answer.messages.size(); ++i) {
        if (i != 0) json += ", ";
        json += "\"" + corpus_face::LowerHex(answer.messages[i]) + "\"";
    }
    return json + "]}\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: corpus_dialog_face TOOL hex|ascii|none 0|1 GBK_HEX\n");
        return corpus_face::kExitUnknownWord;
    }
    UserActions actions;
    try {
        actions.tool_button = ToolButton(argv[1]);
        actions.format_button = FormatButton(argv[2]);
        actions.low_first = LowFirst(argv[3]);
        actions.gbk_input = InputBytes(argv[4]);
    } catch (const UnknownWord& unknown) {
        std::fprintf(stderr, "corpus_dialog_face: %s\n", unknown.what());
        return corpus_face::kExitUnknownWord;
    }
    DialogAnswer answer;
    if (!RunDialog(actions, answer)) {
        std::fprintf(stderr, "corpus_dialog_face: the dialog could not be created\n");
        return 1;
    }
    std::cout << Answer(answer) << std::flush;
    return 0;
}
