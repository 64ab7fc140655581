#pragma once
// The desktop seam for long unattended runs: like the tests' recorder, a message box never blocks
// and a wait returns at once, but only counts are kept, so a long run's memory stays flat.
#include <QString>
#include <map>

#include "base/Platform.h"

class CountingPlatform : public Platform {
  public:
    CountingPlatform() { InstallPlatform(this); }
    ~CountingPlatform() override { InstallPlatform(nullptr); }
    void ShowMessage(const QString& text) override { ++messages[text]; }
    void Wait(int milliseconds) override {
        ++waits;
        waitedMs += milliseconds;
    }
    void Beep(int, int) override { ++beeps; }

    std::map<QString, int> messages;  // text -> times shown
    int waits = 0;
    long long waitedMs = 0;
    int beeps = 0;
};
