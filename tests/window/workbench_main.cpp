// The workbench window's tests: drive the real QuobrixWorkbench.exe under the
// window system, as the dialog's window tests drive Quobrix.exe.
// Usage: workbench_window_tests --app=PATH\QuobrixWorkbench.exe
//        --probe=PATH\window_probe.dll [gtest options]
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/in_process_probe.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char kAppOption[] = "--app=";
    const char kProbeOption[] = "--probe=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kAppOption, sizeof kAppOption - 1) == 0)
            window_test::SetAppPath(argv[i] + sizeof kAppOption - 1);
        if (std::strncmp(argv[i], kProbeOption, sizeof kProbeOption - 1) == 0)
            window_test::SetProbePath(argv[i] + sizeof kProbeOption - 1);
    }
    if (window_test::AppPath().empty() || window_test::ProbePath().empty()) {
        std::fprintf(stderr,
                     "usage: workbench_window_tests --app=PATH_OF_QuobrixWorkbench.exe "
                     "--probe=PATH_OF_window_probe.dll [gtest options]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
