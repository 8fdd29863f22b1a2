// The workbench window's tests: drive the real QuobrixWorkbench.exe under the
// window system, as the dialog's window tests drive Quobrix.exe.
// Usage: workbench_window_tests --app=PATH\QuobrixWorkbench.exe [gtest options]
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/window/app_session.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char kAppOption[] = "--app=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kAppOption, sizeof kAppOption - 1) == 0)
            window_test::SetAppPath(argv[i] + sizeof kAppOption - 1);
    }
    if (window_test::AppPath().empty()) {
        std::fprintf(stderr, "usage: workbench_window_tests --app=PATH_OF_QuobrixWorkbench.exe [gtest options]\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
