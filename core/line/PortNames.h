#pragma once
// What a port name leads to.
#include <QString>
#include <optional>

namespace PortNames {
// The n of a "COMn" name (any case, up to five digits); none for any other name.
std::optional<int> ComNumber(const QString& name);
// "COMn" is sys/COMn when that exists (a link to the real device), else /dev/ttyS<n-1>; a name
// holding "/" is used as typed.
QString DevicePath(const QString& name);
}  // namespace PortNames
