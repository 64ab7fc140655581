#pragma once
// The serial device behind a line: this system's backend (termios on POSIX, the Win32 serial
// functions on Windows), reached through one function. Which one is built is chosen in the
// line room's source list.
#include <QString>
#include <memory>

#include "core/line/LineBackend.h"

// Which device an open reached, so that a re-open can insist on the same one.
struct SerialDeviceIdentity {
    unsigned long long device = 0;  // the system's number for the device; 0 where it has none
    QString path;
};

namespace SerialBackend {
// Opens `name` ("COM3" or a device path) at `settings` ("9600,N,8,1"). With `mustBe`, only that
// device will do: a name that now leads elsewhere fails like a missing port. `reached` is the
// device found, even when its settings then fail. On failure gives nothing and the message to
// show. `listenOnly` opens the device for reading alone.
std::unique_ptr<LineBackend> Open(const QString& name, const QString& settings,
                                  const SerialDeviceIdentity* mustBe, SerialDeviceIdentity* reached,
                                  QString* message, bool listenOnly);
}  // namespace SerialBackend
