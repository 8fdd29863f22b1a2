#include "workbench_window/views/printf_view.h"

#include <memory>

#include "workbench_window/window_text.h"

using namespace command_pages;

BEGIN_MESSAGE_MAP(CPrintfView, CCommandView)
    ON_COMMAND(IDC_PF_RUN, OnRun)
END_MESSAGE_MAP()

CPrintfView::CPrintfView(CWorkbenchWindow& host)
    : CCommandView(IDD, host, {IDC_PF_COMMAND, IDC_PF_RESULT, IDC_PF_STATUS, IDC_PF_CANCEL, {IDC_PF_RUN}}) {}

BOOL CPrintfView::OnInitDialog() {
    CCommandView::OnInitDialog();
    FollowSize({
        {IDC_PF_FORMAT, kStretchX},
        {IDC_PF_ARGS, kStretchX},
        {IDC_PF_COMMAND, kStretchX},
        {IDC_PF_RESULT, kStretchX},
        {IDC_PF_TABLE, kStretchX | kStretchY},
        {IDC_PF_STATUS, kStretchX | kMoveY},
    });
    UseFixedFont({IDC_PF_COMMAND, IDC_PF_RESULT, IDC_PF_TABLE});
    return FALSE;
}

void CPrintfView::OnRun() {
    PrintfFields fields;
    fields.format = Text(IDC_PF_FORMAT);
    fields.arguments = Text(IDC_PF_ARGS);
    fields.raw = IsChecked(IDC_PF_RAW);
    // The table comes with the text, from the worker.
    const auto table = std::make_shared<std::string>();
    StartRun(
        [fields, table](const RunWatch& watch) {
            PrintfAnswer answer = Format(fields, kShownBytes, watch);
            *table = std::move(answer.table);
            return answer.outcome;
        },
        [this, table](const Outcome& outcome) {
            ShowRun(outcome, outcome.out);
            SetText(IDC_PF_TABLE, WindowsLines(*table));
        });
}
