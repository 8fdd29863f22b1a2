// The workbench window's pages, in the order of their tabs, by the first of
// each page's controls: shown exactly while its page is.
#pragma once

#include "res/workbench_resource.h"

namespace window_test {

constexpr int kWorkbenchPages = 9;
constexpr int kWorkbenchPageFirsts[kWorkbenchPages] = {IDC_CRC_FIRST,   IDC_FIND_FIRST, IDC_FRAME_FIRST,
                                                       IDC_NUM_FIRST,   IDC_ARR_FIRST,  IDC_PARTS_FIRST,
                                                       IDC_FLT_FIRST,   IDC_PF_FIRST,   IDC_RND_FIRST};

}  // namespace window_test
