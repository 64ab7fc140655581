#pragma once
// The platform of the desktop program: modal message boxes, and the beep on the sound device.
#include "base/Platform.h"

class DesktopPlatform : public Platform {
  public:
    void ShowMessage(const QString& text) override;
    void Wait(int milliseconds) override;
    void Beep(int frequencyHz, int milliseconds) override;
};

// Installs the desktop platform for the rest of the run.
void InstallDesktopPlatform();

// Plays a tone through the sound device, or stays silent for as long when there is none. Blocks,
// like the waits.
void PlayTone(int frequencyHz, int milliseconds);
