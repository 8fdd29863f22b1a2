// Resource identifiers of the workbench window, QuobrixWorkbench.exe. Read by
// the resource compiler and by C++. Its controls are one contiguous block per
// page, apart from the dialog's.
#pragma once

#define IDD_WORKBENCH 200
#define IDR_WORKBENCH_ICON 128

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_WB_TABS 2000

// CRC 计算
#define IDC_CRC_MODEL 2100
#define IDC_CRC_EXPORT 2101
#define IDC_CRC_MODEL_NOTE 2102
#define IDC_CRC_WIDTH 2103
#define IDC_CRC_POLY 2104
#define IDC_CRC_INIT 2105
#define IDC_CRC_REFIN 2106
#define IDC_CRC_REFOUT 2107
#define IDC_CRC_XOROUT 2108
#define IDC_CRC_CHECK 2109
#define IDC_CRC_RESIDUE 2110
#define IDC_CRC_PARAM_MSG 2111
#define IDC_CRC_MODE_GBK 2112
#define IDC_CRC_MODE_UTF8 2113
#define IDC_CRC_MODE_HEX 2114
#define IDC_CRC_MODE_FILE 2115
#define IDC_CRC_INPUT 2116
#define IDC_CRC_FILE 2117
#define IDC_CRC_BROWSE 2118
#define IDC_CRC_COMPUTE 2119
#define IDC_CRC_PROGRESS 2120
#define IDC_CRC_CANCEL 2121
#define IDC_CRC_RESULT 2122
#define IDC_CRC_COPY 2123
#define IDC_CRC_HIGH 2124
#define IDC_CRC_COPY_HIGH 2125
#define IDC_CRC_LOW 2126
#define IDC_CRC_COPY_LOW 2127
#define IDC_CRC_STATUS 2128
#define IDC_CRC_ALL 2129
#define IDC_CRC_LIST 2130
#define IDC_CRC_FIRST IDC_CRC_MODEL
#define IDC_CRC_LAST IDC_CRC_LIST

// 校验识别
#define IDC_FIND_FRAMES 2200
#define IDC_FIND_SKIP 2201
#define IDC_FIND_RECOVER 2202
#define IDC_FIND_RUN 2203
#define IDC_FIND_LIST 2204
#define IDC_FIND_NOTES 2205
#define IDC_FIND_CANCEL 2206
#define IDC_FIND_FIRST IDC_FIND_FRAMES
#define IDC_FIND_LAST IDC_FIND_CANCEL

// 帧
#define IDC_FRAME_CHECK 2300
#define IDC_FRAME_BE 2301
#define IDC_FRAME_LE 2302
#define IDC_FRAME_HEAD 2303
#define IDC_FRAME_TAIL 2304
#define IDC_FRAME_DATA 2305
#define IDC_FRAME_BUILD 2306
#define IDC_FRAME_VERIFY 2307
#define IDC_FRAME_RESULT 2308
#define IDC_FRAME_NOTES 2309
#define IDC_FRAME_FIRST IDC_FRAME_CHECK
#define IDC_FRAME_LAST IDC_FRAME_NOTES

// 数值
#define IDC_NUM_HEX 2400
#define IDC_NUM_RUN 2401
#define IDC_NUM_LIST 2402
#define IDC_NUM_VALUE 2403
#define IDC_NUM_TYPE 2404
#define IDC_NUM_BACK 2405
#define IDC_NUM_BYTES_LIST 2406
#define IDC_NUM_MSG 2407
#define IDC_NUM_FIRST IDC_NUM_HEX
#define IDC_NUM_LAST IDC_NUM_MSG

// Labels: static texts of each page, told apart from IDC_STATIC so that the
// window shows and hides them with their page.
#define IDC_CRC_LABEL_FIRST 2150
#define IDC_FIND_LABEL_FIRST 2250
#define IDC_FRAME_LABEL_FIRST 2350
#define IDC_NUM_LABEL_FIRST 2450
#define IDC_LABELS_PER_PAGE 30
