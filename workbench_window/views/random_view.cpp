#include "workbench_window/views/random_view.h"

using namespace command_pages;

BEGIN_MESSAGE_MAP(CRandomView, CCommandView)
    ON_COMMAND(IDC_RND_RUN, OnRun)
    ON_COMMAND(IDC_RND_SAVE, OnSave)
END_MESSAGE_MAP()

CRandomView::CRandomView(CWorkbenchWindow& host)
    : CCommandView(IDD, host, {IDC_RND_COMMAND, IDC_RND_RESULT, IDC_RND_STATUS, IDC_RND_CANCEL, {IDC_RND_RUN, IDC_RND_SAVE}, true}) {}

BOOL CRandomView::OnInitDialog() {
    CCommandView::OnInitDialog();
    FollowSize({
        {IDC_RND_COMMAND, kStretchX},
        {IDC_RND_RESULT, kStretchX | kStretchY},
        {IDC_RND_STATUS, kStretchX | kMoveY},
    });
    UseFixedFont({IDC_RND_COMMAND, IDC_RND_RESULT});
    Check(IDC_RND_INT, true);
    SetText(IDC_RND_COUNT, "10");
    SetText(IDC_RND_LOW, "1");
    SetText(IDC_RND_HIGH, "6");
    return FALSE;
}

RandomFields CRandomView::FieldsShown() const {
    RandomFields fields;
    fields.kind = IsChecked(IDC_RND_FLOAT)   ? RandomKind::kFloats
                  : IsChecked(IDC_RND_BYTES) ? RandomKind::kBytes
                                             : RandomKind::kIntegers;
    fields.count = Text(IDC_RND_COUNT);
    fields.low = Text(IDC_RND_LOW);
    fields.high = Text(IDC_RND_HIGH);
    fields.unique = IsChecked(IDC_RND_UNIQUE);
    fields.sort = IsChecked(IDC_RND_SORT);
    fields.c_array = IsChecked(IDC_RND_C);
    fields.name = Text(IDC_RND_NAME);
    fields.seed = Text(IDC_RND_SEED);
    return fields;
}

void CRandomView::OnRun() {
    StartShownRun(RandomWords(FieldsShown()));
}

void CRandomView::OnSave() {
    const RandomFields fields = FieldsShown();
    const std::string name = fields.name.empty() ? "random" : fields.name;
    if (fields.c_array) {
        SaveRun(RandomWords(fields), name + ".c", "C 源文件 (*.c)|*.c|所有文件 (*.*)|*.*|");
    } else {
        SaveRun(RandomWords(fields), name + ".txt", "文本文件 (*.txt)|*.txt|所有文件 (*.*)|*.*|");
    }
}
