// Ctrl-C and a termination on POSIX: signals, their old handling kept aside while a command runs.
#include <atomic>
#include <csignal>

#include "cli/CliRun.h"

namespace {
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
    interrupted = true;
}
}  // namespace

struct InterruptScope::Saved {
    struct sigaction interrupt = {};
    struct sigaction terminate = {};
};

InterruptScope::InterruptScope() : saved_(std::make_unique<Saved>()) {
    interrupted = false;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_->interrupt);
    sigaction(SIGTERM, &action, &saved_->terminate);
}

InterruptScope::~InterruptScope() {
    sigaction(SIGINT, &saved_->interrupt, nullptr);
    sigaction(SIGTERM, &saved_->terminate, nullptr);
}

bool Interrupted() {
    return interrupted;
}
