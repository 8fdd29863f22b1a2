// One main dialog on the offscreen backend, opened on first use and kept for
// the whole fuzzing run: opening it anew for every input would cost more than
// most tools do.
#pragma once

#include <string>
#include <vector>

#include "fw/offscreen.h"
#include "fuzz_check.h"
#include "ui/tool_dlg.h"

namespace fuzz {

inline CToolDlg& Dialog() {
    static CToolDlg* dialog = [] {
        CToolDlg* opened = new CToolDlg;  // lives as long as the process
        FUZZ_CHECK(fw::offscreen::CreateDialogWindow(*opened), "the main dialog did not open");
        return opened;
    }();
    return *dialog;
}

// The texts of the message boxes shown since the last call, in order.
inline std::vector<std::string> TakeBoxes() {
    std::vector<std::string> texts;
    for (const auto& box : fw::offscreen::TakeMessageBoxes()) texts.push_back(box.text);
    return texts;
}

// Sets the check box or radio button `id` to `checked` as a user would.
inline void SetChecked(CToolDlg& dialog, int id, bool checked) {
    if (fw::offscreen::IsChecked(dialog, id) != checked) fw::offscreen::Click(dialog, id);
}

}  // namespace fuzz
