#pragma once
// This system's error codes where the line's messages show them: errno values on POSIX, Windows'
// own (GetLastError, WSAGetLastError) there.
#include <QString>

// What a failed open of a device comes to, for whoever must mend it.
enum class OpenFailure { NoAccess, Busy, Missing, Other };

namespace SystemErrors {
// The code a settings string the line cannot take is refused with ("Invalid device DCB ...").
int InvalidSettings();
// The code a device that is not there (or not the one chosen) is refused with.
int NoSuchDevice();
// The system's words for `error`.
QString Text(int error);
// What `error`, from opening a device, comes to.
OpenFailure OpenFailureOf(int error);
}  // namespace SystemErrors
