#pragma once
// Test doubles for the desktop: messages and beeps recorded, waits skipped.
#include <QStringList>

#include "base/Platform.h"

class RecordingPlatform : public Platform {
  public:
    RecordingPlatform() { InstallPlatform(this); }
    ~RecordingPlatform() override { InstallPlatform(nullptr); }
    void ShowMessage(const QString& text) override { messages << text; }
    void Wait(int milliseconds) override { waited += milliseconds; }
    void Beep(int, int) override { ++beeps; }

    QStringList messages;
    int waited = 0;
    int beeps = 0;
};
