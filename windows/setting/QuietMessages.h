#pragma once
// While one lives, message boxes are dropped and waits and beeps go on as before: for repeating an
// operation whose failure the user has already been told about.
#include "base/Platform.h"

class QuietMessages : public Platform {
  public:
    QuietMessages() : outer_(CurrentPlatform()) { InstallPlatform(this); }
    ~QuietMessages() override { InstallPlatform(&outer_); }
    QuietMessages(const QuietMessages&) = delete;
    QuietMessages& operator=(const QuietMessages&) = delete;

    void ShowMessage(const QString&) override {}
    void Wait(int milliseconds) override { outer_.Wait(milliseconds); }
    void Beep(int frequencyHz, int milliseconds) override {
        outer_.Beep(frequencyHz, milliseconds);
    }

  private:
    Platform& outer_;
};
