// The dialog templates and string table of res/quobrix.rc as C++ data, for
// the offscreen backend. The table is generated from the resource script at
// build time (tools/gen_dialog_table.py), so the script stays the one place
// the dialogs are defined. All texts are GBK bytes.
#pragma once

#include "fw/win_types.h"

namespace fw {

struct ControlTemplate {
    int id;
    const char* class_name;  // lower case: "button", "edit", "static"
    const char* text;        // caption; "" for none (an SS_ICON static holds no text here)
    DWORD style;             // complete style, WS_CHILD | WS_VISIBLE included
    DWORD ex_style;
    short x, y, cx, cy;      // dialog units
};

struct DialogTemplate {
    int id;
    bool extended;  // DIALOGEX
    const char* caption;
    DWORD style;
    DWORD ex_style;
    short x, y, cx, cy;
    const char* font_face;
    int point_size;
    const ControlTemplate* controls;
    int control_count;
};

// nullptr when the resource script has no such dialog or string.
const DialogTemplate* FindDialogTemplate(int id);
const char* FindStringResource(UINT id);

}  // namespace fw
