// Fixture: a freshly started program with the probe DLL hooked into its GUI
// thread, for the checks that only the program's own process can make.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/window/app_session.h"
#include "tests/window/in_process_probe.h"

namespace window_test {

class ProbedAppTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        std::string error;
        ASSERT_TRUE(probe_.Attach(app_.thread_id(), &error)) << error;
    }

    void TearDown() override {
        probe_.Detach();
        AppTest::TearDown();
    }

    // The reply must come from the program's process, not from this one
    // (which loaded the DLL only to hand it to the window system).
    void ExpectAnsweredInProgram(const window_probe::Origin& origin) {
        EXPECT_EQ(origin.process_id, app_.process_id())
            << "the probe answered from process " << origin.process_id << " ("
            << origin.module_path << "), this is " << GetCurrentProcessId();
    }

    InProcessProbe probe_;
};

}  // namespace window_test
