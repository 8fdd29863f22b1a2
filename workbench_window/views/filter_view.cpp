#include "workbench_window/views/filter_view.h"

using namespace command_pages;

BEGIN_MESSAGE_MAP(CFilterView, CCommandView)
    ON_COMMAND(IDC_FLT_DESIGN, OnDesign)
    ON_COMMAND(IDC_FLT_FREQ_OF, OnFrequency)
END_MESSAGE_MAP()

CFilterView::CFilterView(CWorkbenchWindow& host)
    : CCommandView(IDD, host, {IDC_FLT_COMMAND, IDC_FLT_RESULT, IDC_FLT_STATUS, IDC_FLT_CANCEL, {IDC_FLT_DESIGN, IDC_FLT_FREQ_OF}}) {}

BOOL CFilterView::OnInitDialog() {
    CCommandView::OnInitDialog();
    FollowSize({
        {IDC_FLT_COMMAND, kStretchX},
        {IDC_FLT_RESULT, kStretchX | kStretchY},
        {IDC_FLT_STATUS, kStretchX | kMoveY},
    });
    UseFixedFont({IDC_FLT_COMMAND, IDC_FLT_RESULT});
    for (const int id : {IDC_FLT_R_SERIES, IDC_FLT_C_SERIES, IDC_FLT_L_SERIES}) FillSeries(id);
    Check(IDC_FLT_RC_LOW, true);
    return FALSE;
}

FilterFields CFilterView::FieldsShown() const {
    FilterFields fields;
    fields.kind = IsChecked(IDC_FLT_RC_HIGH) ? FilterKind::kRcHighPass
                  : IsChecked(IDC_FLT_LC)    ? FilterKind::kLc
                  : IsChecked(IDC_FLT_SK)    ? FilterKind::kSallenKey
                                             : FilterKind::kRcLowPass;
    fields.frequency = Text(IDC_FLT_FREQ);
    fields.q = Text(IDC_FLT_Q);
    fields.r_series = SeriesChosen(IDC_FLT_R_SERIES);
    fields.c_series = SeriesChosen(IDC_FLT_C_SERIES);
    fields.l_series = SeriesChosen(IDC_FLT_L_SERIES);
    fields.count = Text(IDC_FLT_COUNT);
    fields.r1 = Text(IDC_FLT_R1);
    fields.r2 = Text(IDC_FLT_R2);
    fields.c1 = Text(IDC_FLT_C1);
    fields.c2 = Text(IDC_FLT_C2);
    fields.l = Text(IDC_FLT_L);
    return fields;
}

void CFilterView::RunEnter() {
    switch (FocusedId()) {
        case IDC_FLT_R1:
        case IDC_FLT_R2:
        case IDC_FLT_C1:
        case IDC_FLT_C2:
        case IDC_FLT_L:
            OnFrequency();
            break;
        default:
            OnDesign();
            break;
    }
}

void CFilterView::OnDesign() {
    StartShownRun(FilterDesignWords(FieldsShown()));
}

void CFilterView::OnFrequency() {
    StartShownRun(FilterFrequencyWords(FieldsShown()));
}
