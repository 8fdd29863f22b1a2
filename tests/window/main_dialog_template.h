// The main dialog as the resource script defines it. The window tests read
// the table that tools/gen_dialog_table.py generates from res/quobrix.rc,
// the one the offscreen backend builds its windows from, so the script is the
// one place the dialog is written down; template_test.cpp checks a few of
// the table's values against figures written out by hand.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fw/dialog_template.h"
#include "res/resource.h"

namespace window_test {

// The template IDD_TOOL_DIALOG (null only if the script lost it).
inline const fw::DialogTemplate* MainDialogTemplate() {
    return fw::FindDialogTemplate(IDD_TOOL_DIALOG);
}

inline std::vector<fw::ControlTemplate> ControlsOf(const fw::DialogTemplate& dialog) {
    return std::vector<fw::ControlTemplate>(dialog.controls,
                                            dialog.controls + dialog.control_count);
}

// The FONT statement's face name (GBK in the table) as the UTF-16 text a
// template carries.
inline std::wstring FontFaceOf(const fw::DialogTemplate& dialog) {
    wchar_t face[64] = {};
    MultiByteToWideChar(936, 0, dialog.font_face, -1, face, 64);
    return face;
}

// Whether the Tab key stops at the control as the template creates it: the
// dialog manager visits every enabled WS_TABSTOP control, in template order.
inline bool IsTabStop(const fw::ControlTemplate& control) {
    return (control.style & WS_TABSTOP) && !(control.style & WS_DISABLED);
}

inline std::vector<int> TabStopsOf(const fw::DialogTemplate& dialog) {
    std::vector<int> stops;
    for (const fw::ControlTemplate& c : ControlsOf(dialog))
        if (IsTabStop(c)) stops.push_back(c.id);
    return stops;
}

}  // namespace window_test
