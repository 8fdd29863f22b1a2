#include "workbench_window/views/frame_view.h"

#include "fw/win32/controls.h"

BEGIN_MESSAGE_MAP(CFrameView, CPageView)
    ON_COMMAND(IDC_FRAME_BUILD, OnBuild)
    ON_COMMAND(IDC_FRAME_VERIFY, OnVerify)
END_MESSAGE_MAP()

BOOL CFrameView::OnInitDialog() {
    CPageView::OnInitDialog();
    FollowSize({
        {IDC_FRAME_DATA, kStretchX},
        {IDC_FRAME_RESULT, kStretchX},
        {IDC_FRAME_NOTES, kStretchX | kStretchY},
    });
    CComboBox checks(Item(IDC_FRAME_CHECK));
    for (const std::string& name : frame_page::CheckNames()) checks.AddString(name.c_str());
    Check(IDC_FRAME_BE, true);
    return FALSE;
}

void CFrameView::ShowForm(const frame_page::Form& form) {
    SetText(IDC_FRAME_CHECK, form.check);
    Check(IDC_FRAME_BE, form.order == frame_page::Order::kBigEndian);
    Check(IDC_FRAME_LE, form.order == frame_page::Order::kLittleEndian);
    SetText(IDC_FRAME_HEAD, form.head);
    SetText(IDC_FRAME_TAIL, form.tail);
    SetText(IDC_FRAME_DATA, form.data);
    SetText(IDC_FRAME_RESULT, "");
    SetText(IDC_FRAME_NOTES, "");
}

frame_page::Form CFrameView::FormShown() const {
    frame_page::Form form;
    form.check = Text(IDC_FRAME_CHECK);
    form.order = IsChecked(IDC_FRAME_LE) ? frame_page::Order::kLittleEndian : frame_page::Order::kBigEndian;
    form.head = Text(IDC_FRAME_HEAD);
    form.tail = Text(IDC_FRAME_TAIL);
    form.data = Text(IDC_FRAME_DATA);
    return form;
}

void CFrameView::ShowAnswer(const frame_page::Answer& answer) {
    SetText(IDC_FRAME_RESULT, answer.line);
    SetText(IDC_FRAME_NOTES, JoinedLines(answer.notes));
}

void CFrameView::OnBuild() { ShowAnswer(frame_page::Build(FormShown())); }

void CFrameView::OnVerify() { ShowAnswer(frame_page::Verify(FormShown())); }
