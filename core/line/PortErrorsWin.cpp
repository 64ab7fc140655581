// Why a port could not be opened, on Windows: the system's error codes and its own words.
#include <windows.h>

#include "core/line/PortErrors.h"
#include "core/line/SystemErrors.h"

namespace PortErrors {
// Windows does not say which program holds a port.
QStringList Holders(const QString&) {
    return {};
}

// Windows has no groups to join for a device.
std::optional<QString> AccessGroup(const QString&) {
    return std::nullopt;
}
}  // namespace PortErrors

namespace SystemErrors {
int InvalidSettings() {
    return ERROR_INVALID_PARAMETER;
}

int NoSuchDevice() {
    return ERROR_FILE_NOT_FOUND;
}

QString Text(int error) {
    wchar_t* words = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&words), 0, nullptr);
    QString text = length > 0 && words ? QString::fromWCharArray(words, static_cast<int>(length))
                                       : QStringLiteral("error %1").arg(error);
    if (words) ::LocalFree(words);
    // The system's sentence ends in a full stop and a line break; the message adds its own.
    text = text.trimmed();
    if (text.endsWith('.')) text.chop(1);
    return text;
}

OpenFailure OpenFailureOf(int error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // A port another program has open is refused as access denied.
            return OpenFailure::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return OpenFailure::Missing;
        default:
            return OpenFailure::Other;
    }
}
}  // namespace SystemErrors
