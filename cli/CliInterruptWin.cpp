// Ctrl-C, Ctrl-Break and a closed console on Windows: a console control handler, added while a
// command runs. It runs in a thread of its own; the command sees the flag at its next step.
#include <windows.h>

#include <atomic>

#include "cli/CliRun.h"

namespace {
std::atomic<bool> interrupted{false};

BOOL WINAPI OnControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            interrupted = true;
            return TRUE;
        default:
            return FALSE;
    }
}
}  // namespace

struct InterruptScope::Saved {};

InterruptScope::InterruptScope() : saved_(std::make_unique<Saved>()) {
    interrupted = false;
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

InterruptScope::~InterruptScope() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
}

bool Interrupted() {
    return interrupted;
}
