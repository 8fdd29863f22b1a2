#include "cli/run_tool.h"

#include "fw/offscreen.h"
#include "res/resource.h"
#include "ui/tool_dlg.h"

ToolRun RunToolInDialog(const CliOptions& options, const std::string& gbk_input) {
    namespace offscreen = fw::offscreen;
    ToolRun run;
    CToolDlg dialog;
    if (!offscreen::CreateDialogWindow(dialog)) return run;
    run.dialog_created = true;
    offscreen::TakeMessageBoxes();  // only the tool's own boxes are reported

    offscreen::SetText(dialog, IDC_EDIT_INPUT, gbk_input);
    if (options.format == InputFormat::Hex) offscreen::Click(dialog, IDC_RADIO_HEX);
    if (options.format == InputFormat::Ascii) offscreen::Click(dialog, IDC_RADIO_ASCII);
    if (options.low_first) offscreen::Click(dialog, IDC_CHECK_LOWFIRST);
    offscreen::Click(dialog, options.tool->button_id);

    for (const offscreen::MessageBoxRecord& box : offscreen::TakeMessageBoxes()) {
        run.messages.push_back(box.text);
    }
    run.output = offscreen::GetText(dialog, IDC_EDIT_OUTPUT);
    offscreen::DestroyDialogWindow(dialog);
    return run;
}
