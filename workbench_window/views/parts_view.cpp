#include "workbench_window/views/parts_view.h"

using namespace command_pages;

BEGIN_MESSAGE_MAP(CPartsView, CCommandView)
    ON_COMMAND(IDC_PARTS_NEAREST, OnNearest)
    ON_COMMAND(IDC_PARTS_MARK, OnMark)
    ON_COMMAND(IDC_PARTS_DECODE, OnDecode)
    ON_COMMAND(IDC_PARTS_DIVIDER, OnDivider)
END_MESSAGE_MAP()

CPartsView::CPartsView(CWorkbenchWindow& host)
    : CCommandView(IDD, host, {IDC_PARTS_COMMAND, IDC_PARTS_RESULT, IDC_PARTS_STATUS, IDC_PARTS_CANCEL,
                              {IDC_PARTS_NEAREST, IDC_PARTS_MARK, IDC_PARTS_DECODE, IDC_PARTS_DIVIDER}}) {}

BOOL CPartsView::OnInitDialog() {
    CCommandView::OnInitDialog();
    FollowSize({
        {IDC_PARTS_COMMAND, kStretchX},
        {IDC_PARTS_RESULT, kStretchX | kStretchY},
        {IDC_PARTS_STATUS, kStretchX | kMoveY},
    });
    UseFixedFont({IDC_PARTS_COMMAND, IDC_PARTS_RESULT});
    Check(IDC_PARTS_RESISTOR, true);
    FillSeries(IDC_PARTS_SERIES);
    return FALSE;
}

PartsFields CPartsView::FieldsShown() const {
    PartsFields fields;
    fields.kind = IsChecked(IDC_PARTS_CAPACITOR)   ? "capacitor"
                  : IsChecked(IDC_PARTS_INDUCTOR) ? "inductor"
                                                  : "resistor";
    fields.series = SeriesChosen(IDC_PARTS_SERIES);
    fields.value = Text(IDC_PARTS_VALUE);
    fields.tolerance = Text(IDC_PARTS_TOLERANCE);
    fields.tempco = Text(IDC_PARTS_TEMPCO);
    fields.code = Text(IDC_PARTS_CODE);
    fields.vin = Text(IDC_PARTS_VIN);
    fields.vout = Text(IDC_PARTS_VOUT);
    fields.total = Text(IDC_PARTS_TOTAL);
    fields.count = Text(IDC_PARTS_COUNT);
    return fields;
}

void CPartsView::RunEnter() {
    switch (FocusedId()) {
        case IDC_PARTS_TOLERANCE:
        case IDC_PARTS_TEMPCO:
            OnMark();
            break;
        case IDC_PARTS_CODE:
            OnDecode();
            break;
        case IDC_PARTS_VIN:
        case IDC_PARTS_VOUT:
        case IDC_PARTS_TOTAL:
        case IDC_PARTS_COUNT:
            OnDivider();
            break;
        default:
            OnNearest();
            break;
    }
}

void CPartsView::Run(PartsJob job) {
    StartShownRun(PartsWords(job, FieldsShown()));
}

void CPartsView::OnNearest() { Run(PartsJob::kNearest); }
void CPartsView::OnMark() { Run(PartsJob::kMark); }
void CPartsView::OnDecode() { Run(PartsJob::kCode); }
void CPartsView::OnDivider() { Run(PartsJob::kDivider); }
