#include "cli/interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

InterruptScope::InterruptScope() {
    g_interrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
}

InterruptScope::~InterruptScope() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }

bool Interrupted() { return g_interrupted != 0; }
