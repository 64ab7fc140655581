#pragma once
// What the program asks of its surroundings: messages, blocking waits and the beep. The desktop
// program installs message boxes and the sound device (app/DesktopPlatform); a headless program
// keeps the default, which writes messages to standard error. Tests install their own
// implementation to record messages and skip the waits.
#include <QString>
#include <functional>

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

// Shows `text` through the platform, or to the thread's own sink while one is set.
void ShowMessage(const QString& text);

// While one lives, the messages its thread shows go to `sink` instead: a worker thread's line
// says what went wrong to its owner, and never raises a box outside the window's thread.
class ThreadMessages {
  public:
    explicit ThreadMessages(std::function<void(const QString&)> sink);
    ~ThreadMessages();
    ThreadMessages(const ThreadMessages&) = delete;
    ThreadMessages& operator=(const ThreadMessages&) = delete;
    void Say(const QString& text) const { sink_(text); }

  private:
    std::function<void(const QString&)> sink_;
    ThreadMessages* outer_;
};
inline void Wait(int milliseconds) {
    CurrentPlatform().Wait(milliseconds);
}
