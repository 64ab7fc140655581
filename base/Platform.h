#pragma once
// What the program asks of its surroundings: messages, blocking waits and the beep. The desktop
// program installs message boxes and the sound device (app/DesktopPlatform); a headless program
// keeps the default, which writes messages to standard error. Tests install their own
// implementation to record messages and skip the waits.
#include <QString>

class Platform {
  public:
    virtual ~Platform() = default;
    virtual void ShowMessage(const QString& text) = 0;  // modal box, OK button only
    virtual void Wait(int milliseconds) = 0;            // blocks the event loop
    virtual void Beep(int frequencyHz, int milliseconds) = 0;
};

// The platform in force; the headless one unless another was installed.
Platform& CurrentPlatform();
// Installs `platform` (not owned); nullptr restores the headless one.
void InstallPlatform(Platform* platform);

inline void ShowMessage(const QString& text) {
    CurrentPlatform().ShowMessage(text);
}
inline void Wait(int milliseconds) {
    CurrentPlatform().Wait(milliseconds);
}
