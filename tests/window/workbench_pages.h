// The workbench window's pages, in the order of their tabs, by the first of
// each page's controls: shown exactly while its page is.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "res/workbench_resource.h"
#include "tests/window/remote_window.h"

namespace window_test {

constexpr int kWorkbenchPages = 11;
constexpr int kWorkbenchPageFirsts[kWorkbenchPages] = {IDC_CRC_FIRST,   IDC_FIND_FIRST, IDC_FRAME_FIRST,
                                                       IDC_NUM_FIRST,   IDC_ARR_FIRST,  IDC_PARTS_FIRST,
                                                       IDC_FLT_FIRST,   IDC_PF_FIRST,   IDC_RND_FIRST,
                                                       IDC_SER_FIRST,   IDC_MB_FIRST};
// The pages' own windows, children of the window, by their templates' ids.
constexpr int kWorkbenchPageIds[kWorkbenchPages] = {IDD_PAGE_CRC,   IDD_PAGE_FIND,   IDD_PAGE_FRAME,
                                                    IDD_PAGE_NUMBERS, IDD_PAGE_ARRAY, IDD_PAGE_PARTS,
                                                    IDD_PAGE_FILTER, IDD_PAGE_PRINTF, IDD_PAGE_RANDOM,
                                                    IDD_PAGE_SERIAL, IDD_PAGE_MODBUS};

// A click on page `page`'s tab as the mouse gives it: button down and up at
// the tab's middle. Sent, so the tab control has handled both (and told the
// window, which showed the page) when the call returns.
inline void ClickWorkbenchTab(HWND tabs, int page) {
    RECT item = {};
    SendWithData(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page), item);
    const LPARAM middle = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendBounded(tabs, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendBounded(tabs, WM_LBUTTONUP, 0, middle);
}

}  // namespace window_test
