#include "base/Platform.h"

#include <QThread>
#include <cstdio>

namespace {
// Where no desktop is: a message is a line on standard error, the beep its silence.
class HeadlessPlatform : public Platform {
  public:
    void ShowMessage(const QString& text) override {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    void Wait(int milliseconds) override { QThread::msleep(milliseconds); }
    void Beep(int, int milliseconds) override { QThread::msleep(milliseconds); }
};

Platform* installed = nullptr;
// The sink of this thread's innermost ThreadMessages, if any.
thread_local ThreadMessages* innermost = nullptr;
}  // namespace

Platform& CurrentPlatform() {
    static HeadlessPlatform headless;
    return installed ? *installed : headless;
}

void InstallPlatform(Platform* platform) {
    installed = platform;
}

void ShowMessage(const QString& text) {
    if (innermost) return innermost->Say(text);
    CurrentPlatform().ShowMessage(text);
}

ThreadMessages::ThreadMessages(std::function<void(const QString&)> sink)
    : sink_(std::move(sink)), outer_(innermost) {
    innermost = this;
}

ThreadMessages::~ThreadMessages() {
    innermost = outer_;
}
