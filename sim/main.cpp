// znsim: plays buses of ZN modules on pseudo-terminals so the tool can be tried without hardware.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <iostream>

#include "sim/CommandLine.h"
#include "sim/SimLoop.h"

namespace {
volatile sig_atomic_t stopRequested = 0;
void OnSignal(int) {
    stopRequested = 1;
}
}  // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        std::cerr << "znsim: " << *error << "\n\n" << UsageText();
        return 2;
    }
    const SimConfig& config = std::get<SimConfig>(parsed);
    if (config.help) {
        std::cout << UsageText();
        return 0;
    }
    // The signals that end the run are held back except while the loop waits, so that a stop
    // is never missed between a check and the wait; the links are then removed on the way out.
    sigset_t ending, waitMask;
    sigemptyset(&ending);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, s);
    sigprocmask(SIG_BLOCK, &ending, &waitMask);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    if (config.dieWithParent) {
        // A parent killed outright (SIGKILL, a crash) cannot stop us itself; the kernel's SIGTERM
        // takes the normal way out, so the links go too. The parent may already be gone before
        // the request, and then no signal ever comes: init (or a subreaper) is our parent then.
        const pid_t parent = ::getppid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent || parent == 1) stopRequested = 1;
    }
    return RunSimulator(config, std::cout, std::cerr, &stopRequested, &waitMask);
}
