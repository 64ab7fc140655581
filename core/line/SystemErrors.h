#pragma once
// This system's error codes where the line's messages show them: errno values on POSIX, Windows'
// own (GetLastError, WSAGetLastError) there.
#include <QString>

namespace SystemErrors {
// The code a settings string the line cannot take is refused with ("Invalid device DCB ...").
int InvalidSettings();
// The system's words for `error`.
QString Text(int error);
}  // namespace SystemErrors
