#pragma once
// What a port name leads to.
#include <QString>
#include <optional>

namespace PortNames {
// The n of a "COMn" name (any case, up to five digits); none for any other name.
std::optional<int> ComNumber(const QString& name);
// The device a name opens. On POSIX "COMn" is sys/COMn when that exists (a link to the real
// device), else /dev/ttyS<n-1>, and a name holding "/" is used as typed. On Windows "COMn" is the
// device itself, written "COMn" whatever its case (also when typed as \\.\COMn).
QString DevicePath(const QString& name);
}  // namespace PortNames
