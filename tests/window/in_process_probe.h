// Questions about the program that only its own process can answer: the
// window system keeps menus and icon handles private to each process, so the
// probe DLL is hooked into the program's GUI thread and answers from there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/window/probe/probe_protocol.h"

namespace window_test {

// The probe DLL given on the command line with --probe=PATH.
const std::string& ProbePath();
void SetProbePath(const std::string& path);

class InProcessProbe {
public:
    InProcessProbe() = default;
    InProcessProbe(const InProcessProbe&) = delete;
    InProcessProbe& operator=(const InProcessProbe&) = delete;
    ~InProcessProbe() { Detach(); }

    // Loads the probe here and hooks the given thread of the program with it.
    bool Attach(DWORD thread_id, std::string* error);
    // Unhooks and unloads; safe to call twice.
    void Detach();

    // Each asks the probe in the thread of `window` and waits (bounded) for
    // its reply. On failure returns false and `error` says why.
    bool ReadSystemMenu(HWND window, window_probe::SystemMenuReply* reply, std::string* error);
    bool ReadMessageBoxIcon(HWND box, window_probe::MessageBoxReply* reply, std::string* error);
    bool PaintIconic(HWND window, window_probe::IconicPaintReply* reply, std::string* error);
    bool ReadDragIcon(HWND window, window_probe::DragIconReply* reply, std::string* error);
    // Drops the file `path` onto `window`, as the shell does.
    bool DropFile(HWND window, const std::wstring& path, window_probe::DropFilesReply* reply, std::string* error);

private:
    bool Ask(HWND window, window_probe::Query query, void* reply, size_t size,
             std::string* error);
    static LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM w, LPARAM l);

    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
    HWND reply_window_ = nullptr;
    UINT request_message_ = 0;
    // The last WM_COPYDATA received: its query and bytes.
    ULONG_PTR received_query_ = 0;
    std::vector<char> received_;
};

}  // namespace window_test
