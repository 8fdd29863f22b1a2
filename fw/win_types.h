// The Win32 types and constants the framework layer speaks in.
// On Windows they come from <windows.h>; elsewhere (the offscreen backend)
// this header defines the subset we use, with the documented Win32 values,
// so that code above the framework compiles unchanged on both.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef long LONG;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;

struct HWND__;
typedef HWND__* HWND;
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HDC__;
typedef HDC__* HDC;
struct HMENU__;
typedef HMENU__* HMENU;

struct RECT {
    LONG left, top, right, bottom;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((WPARAM)(((UINT)(WORD)(l)) | (((UINT)(WORD)(h)) << 16)))

// Window messages.
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define SC_SIZE 0xF000  // the first of the system's own system-menu commands

// Buttons.
#define BN_CLICKED 0
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0
#define BST_CHECKED 1

// Dialog results and message boxes.
#define IDOK 1
#define IDCANCEL 2
#define MB_OK 0x00000000L
#define MB_ICONEXCLAMATION 0x00000030L

// Icons and system metrics.
#define ICON_SMALL 0
#define ICON_BIG 1
#define SM_CXICON 11
#define SM_CYICON 12

// Window placement and animation.
#define HWND_TOPMOST ((HWND)(std::intptr_t)-1)
#define HWND_NOTOPMOST ((HWND)(std::intptr_t)-2)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOREDRAW 0x0008
#define AW_HIDE 0x00010000
#define AW_BLEND 0x00080000

// Menus.
#define MF_STRING 0x00000000L
#define MF_SEPARATOR 0x00000800L

// Window styles the offscreen controls look at.
#define WS_DISABLED 0x08000000L
#define WS_VISIBLE 0x10000000L
#define WS_EX_TOPMOST 0x00000008L
#define BS_TYPEMASK 0x0000000FL
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_AUTORADIOBUTTON 0x00000009L
#define WS_GROUP 0x00020000L
#endif
