#include "tests/window/in_process_probe.h"

#include <cstring>

#include "tests/window/app_session.h"
#include "tests/window/wait_until.h"

namespace window_test {
namespace {

constexpr char kReplyWindowClass[] = "QuobrixWindowTestsProbeReply";

std::string& ProbePathStorage() {
    static std::string path;
    return path;
}

std::string LastError(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

}  // namespace

const std::string& ProbePath() { return ProbePathStorage(); }
void SetProbePath(const std::string& path) { ProbePathStorage() = path; }

bool InProcessProbe::Attach(DWORD thread_id, std::string* error) {
    request_message_ = RegisterWindowMessageA(window_probe::kRequestMessageName);
    const std::string path = WindowsPathOf(ProbePath());
    // The window system records the hook's module by its file name and
    // loads that file into the hooked thread's process.
    module_ = LoadLibraryA(path.c_str());
    if (!module_) {
        *error = LastError(("LoadLibrary(" + path + ")").c_str());
        return false;
    }
    const auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(module_, window_probe::kHookProcName)));
    if (!proc) {
        *error = path + " exports no " + window_probe::kHookProcName;
        return false;
    }

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = ReplyWindowProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = kReplyWindowClass;
    RegisterClassA(&window_class);  // fails harmlessly when already registered
    // A hidden top-level window: another process may send to it.
    reply_window_ = CreateWindowA(kReplyWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
    if (!reply_window_) {
        *error = LastError("CreateWindow of the reply window");
        return false;
    }
    SetWindowLongPtrA(reply_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, proc, module_, thread_id);
    if (!hook_) {
        *error = LastError("SetWindowsHookEx(WH_CALLWNDPROC)");
        return false;
    }
    return true;
}

void InProcessProbe::Detach() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (reply_window_) DestroyWindow(reply_window_);
    if (module_) FreeLibrary(module_);
    hook_ = nullptr;
    reply_window_ = nullptr;
    module_ = nullptr;
}

bool InProcessProbe::ReadSystemMenu(HWND window, window_probe::SystemMenuReply* reply,
                                    std::string* error) {
    return Ask(window, window_probe::kSystemMenu, reply, sizeof *reply, error);
}

bool InProcessProbe::ReadMessageBoxIcon(HWND box, window_probe::MessageBoxReply* reply,
                                        std::string* error) {
    return Ask(box, window_probe::kMessageBoxIcon, reply, sizeof *reply, error);
}

bool InProcessProbe::PaintIconic(HWND window, window_probe::IconicPaintReply* reply,
                                 std::string* error) {
    return Ask(window, window_probe::kIconicPaint, reply, sizeof *reply, error);
}

bool InProcessProbe::ReadDragIcon(HWND window, window_probe::DragIconReply* reply,
                                  std::string* error) {
    return Ask(window, window_probe::kDragIcon, reply, sizeof *reply, error);
}

// The probe reads the name from the reply window's caption, which the
// window manager gives out without a message.
bool InProcessProbe::DropFile(HWND window, const std::wstring& path, window_probe::DropFilesReply* reply,
                              std::string* error) {
    if (reply_window_) SetWindowTextW(reply_window_, path.c_str());
    return Ask(window, window_probe::kDropFiles, reply, sizeof *reply, error);
}

// The probe replies from inside the request, and this thread, while it waits
// for the request to return, takes in the WM_COPYDATA sent to it.
bool InProcessProbe::Ask(HWND window, window_probe::Query query, void* reply, size_t size,
                         std::string* error) {
    if (!hook_) {
        *error = "the probe is not attached";
        return false;
    }
    received_.clear();
    received_query_ = 0;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(window, request_message_, query,
                             reinterpret_cast<LPARAM>(reply_window_), SMTO_ABORTIFHUNG,
                             kDefaultWaitMs, &ignored)) {
        *error = LastError("sending the probe request");
        return false;
    }
    if (received_query_ != query || received_.size() != size) {
        *error = "no reply from the probe: query " + std::to_string(query) + ", got " +
                 std::to_string(received_.size()) + " bytes for query " +
                 std::to_string(received_query_);
        return false;
    }
    std::memcpy(reply, received_.data(), size);
    return true;
}

LRESULT CALLBACK InProcessProbe::ReplyWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_COPYDATA) {
        auto* self = reinterpret_cast<InProcessProbe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        if (!self || !data) return FALSE;
        const char* bytes = static_cast<const char*>(data->lpData);
        self->received_query_ = data->dwData;
        self->received_.assign(bytes, bytes + data->cbData);
        return TRUE;
    }
    return DefWindowProcA(window, message, w, l);
}

}  // namespace window_test
