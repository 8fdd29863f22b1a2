// Bounded waiting for a condition in another process: poll, never sleep blind.
#pragma once

#include <windows.h>

namespace window_test {

// Generous enough for a loaded machine; a test that needs it has failed anyway.
constexpr DWORD kDefaultWaitMs = 20000;
constexpr DWORD kPollIntervalMs = 10;

// Calls `condition` until it returns true or `timeout_ms` have passed,
// every `poll_ms` (a benchmark that times the wait polls more often).
// Returns whether the condition came true.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeout_ms = kDefaultWaitMs, DWORD poll_ms = kPollIntervalMs) {
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        Sleep(poll_ms);
    }
}

}  // namespace window_test
