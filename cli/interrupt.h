// Ctrl+C for the commands that run until told to stop (a terminal on a
// link, a poll, a server): the command ends between two steps, so every
// line it printed or logged is whole.
#pragma once

// While one lives, Ctrl+C sets Interrupted() instead of ending the process.
class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    void (*previous_)(int) = nullptr;
};

bool Interrupted();
