// The window-system operations the framework classes are built on. Two
// backends implement this one interface: fw/win32 (the real Win32 calls) and
// fw/offscreen (in-memory windows, for tests and the command line). A program
// links exactly one of them.
#pragma once

#include <string>

#include "fw/win_types.h"

class CDialog;

namespace fw {
namespace backend {

LRESULT SendMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HWND GetDlgItem(HWND dialog, int id);
std::string GetWindowText(HWND window);
void SetWindowText(HWND window, const char* text);

// A modal message box; returns the button that closed it.
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);

// The application title: the executable's file name without directory and extension.
std::string ApplicationTitle();

std::string LoadStringResource(UINT id);  // empty when missing
HICON LoadIconResource(int id);

// Runs `dialog` modally from template `template_id`; returns what EndDialog passed.
INT_PTR RunModalDialog(CDialog& dialog, int template_id, HWND parent);
void EndDialog(HWND dialog, INT_PTR result);
// Creates `dialog` from template `template_id` as a modeless child of
// `parent`, hidden; null when it cannot. DestroyChildDialog ends it.
HWND CreateChildDialog(CDialog& dialog, int template_id, HWND parent);
void DestroyChildDialog(HWND dialog);
// The window's own default handling of the message now being dispatched.
LRESULT DefaultHandling(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

BOOL SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags);
BOOL AnimateWindow(HWND window, DWORD time_ms, DWORD flags);
HMENU GetSystemMenu(HWND window, BOOL revert);
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* text);
BOOL IsIconic(HWND window);
void GetClientRect(HWND window, RECT* rect);
int GetSystemMetrics(int index);
// The caller keeps `paint` from BeginPaint to the matching EndPaint.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
void EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// The system's ANSI code page, which the texts are in (offscreen: 936).
UINT AnsiCodePage();
// The case of every single byte in the ANSI code page, from the system's
// locale data; false when that code page has double-byte characters.
bool SingleByteCaseMaps(unsigned char upper[256], unsigned char lower[256]);

}  // namespace backend
}  // namespace fw
