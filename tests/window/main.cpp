// Window tests: drive the real program under the window system. The dialog's
// tests and the workbench window's are built from this one main, each told
// its own name and the program it drives.
// Usage: window_tests --app=PATH\Quobrix.exe --probe=PATH\window_probe.dll
//        [gtest options]
//        workbench_window_tests --app=PATH\QuobrixWorkbench.exe
//        --probe=PATH\window_probe.dll [gtest options]
#include <cstdio>
#include <cstring>
#include <string>

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
                     "usage: " WINDOW_TESTS_NAME " --app=PATH_OF_" WINDOW_TESTS_PROGRAM " "
                     "--probe=PATH_OF_window_probe.dll [gtest options]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
