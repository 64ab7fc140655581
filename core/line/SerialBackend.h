#pragma once
// The serial device behind a line: this system's backend (termios on POSIX, the Win32 serial
// functions on Windows), reached through one function. Which one is built is chosen in the
// line room's source list; what both backends say alike is in SerialBackend.cpp.
#include <QString>
#include <memory>
#include <optional>

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

// The device `name` leads to. With `mustBe`, a name that now leads to another path names another
// device: nothing then, and the message; that device is not even opened, which could stir its
// modem lines.
std::optional<QString> DeviceToOpen(const QString& name, const SerialDeviceIdentity* mustBe,
                                    QString* message);
// The message everyone knows, and under it what the system said (`error`, its code) about `path`
// and what to do about it.
QString CannotOpen(const QString& path, int error);
// The messages for line settings or time-outs the device refused, with the system's code.
QString InvalidDcb(const QString& settings, long long error);
QString InvalidTimeouts(const QString& name, long long error);
}  // namespace SerialBackend
