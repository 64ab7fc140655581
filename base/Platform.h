#pragma once
// What the program asks of the desktop beyond widgets: modal messages, blocking waits and the
// beep. Tests install their own implementation to record messages and skip the waits.
#include <QString>

class Platform {
  public:
    virtual ~Platform() = default;
    virtual void ShowMessage(const QString& text) = 0;  // modal box, OK button only
    virtual void Wait(int milliseconds) = 0;            // blocks the event loop
    virtual void Beep(int frequencyHz, int milliseconds) = 0;
};

// The platform in force; the desktop one unless a test installed another.
Platform& CurrentPlatform();
// Installs `platform` (not owned); nullptr restores the desktop one.
void InstallPlatform(Platform* platform);

inline void ShowMessage(const QString& text) {
    CurrentPlatform().ShowMessage(text);
}
inline void Wait(int milliseconds) {
    CurrentPlatform().Wait(milliseconds);
}

// Plays a 4000 Hz tone for 300 ms through the sound device, or stays silent for 300 ms when
// there is none. Blocks, like the waits.
void PlayTone(int frequencyHz, int milliseconds);
