// Puts the real window into the state a picture should show, by the window
// tests' means: starts Quobrix.exe, sets the input box's text, presses a
// button by its control id and waits until the output box changes (or a
// message box opens). Then it prints "ready" and keeps the program open until
// it is killed; scripts/screenshot captures the screen meanwhile.
//
// Usage: screenshot_driver --app=PATH\Quobrix.exe [--input=TEXT] [--press=ID]
// TEXT arrives in the ANSI code page, GBK in the Chinese session, as the input
// box holds it. Exit status 1 when the program did not do what was asked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "res/resource.h"
#include "tests/window/app_session.h"
#include "tests/window/remote_window.h"
#include "tests/window/wait_until.h"

namespace {

using namespace window_test;

struct Request {
    std::string app;
    const char* input = nullptr;
    int press = 0;  // a control id; 0: none
};

// The value of `--name=VALUE` in `arg`, or null.
const char* OptionValue(const char* arg, const char* name) {
    const size_t length = std::strlen(name);
    return std::strncmp(arg, name, length) == 0 && arg[length] == '=' ? arg + length + 1 : nullptr;
}

bool Parse(int argc, char** argv, Request* request) {
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        if ((value = OptionValue(argv[i], "--app"))) {
            request->app = value;
        } else if ((value = OptionValue(argv[i], "--input"))) {
            request->input = value;
        } else if ((value = OptionValue(argv[i], "--press"))) {
            char* end = nullptr;
            request->press = static_cast<int>(std::strtol(value, &end, 10));
            if (*value == '\0' || *end != '\0' || request->press <= 0) return false;
        } else {
            return false;
        }
    }
    return !request->app.empty();
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "screenshot_driver: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Request request;
    if (!Parse(argc, argv, &request)) {
        std::fprintf(stderr,
                     "usage: screenshot_driver --app=PATH_OF_Quobrix.exe [--input=TEXT] "
                     "[--press=CONTROL_ID]\n");
        return 2;
    }
    AppSession app;
    std::string error;
    if (!app.Start(request.app, &error)) return Fail(error);

    if (request.input) {
        const HWND input = app.Control(IDC_EDIT_INPUT);
        SetText(input, request.input);
        if (!WaitUntil([&] { return TextOf(input) == request.input; }))
            return Fail("the input box did not take the text");
    }
    if (request.press) {
        const HWND button = app.Control(request.press);
        if (!button) return Fail("the dialog has no control " + std::to_string(request.press));
        const HWND output = app.Control(IDC_EDIT_OUTPUT);
        const std::string before = TextOf(output);
        // Posted, so that a message box the tool opens does not block us.
        PostMessageA(button, BM_CLICK, 0, 0);
        if (!WaitUntil([&] {
                return TextOf(output) != before || !OwnedDialogs(app.dialog()).empty();
            }))
            return Fail("neither the output box nor a message box showed a result");
    }

    std::printf("ready\n");
    std::fflush(stdout);
    WaitForSingleObject(app.process(), INFINITE);
    return 0;
}
