#include "core/line/SerialBackend.h"

#include "base/TextTable.h"
#include "core/line/PortErrors.h"
#include "core/line/PortNames.h"
#include "core/line/SystemErrors.h"

namespace SerialBackend {
std::optional<QString> DeviceToOpen(const QString& name, const SerialDeviceIdentity* mustBe,
                                    QString* message) {
    const QString device = PortNames::DevicePath(name);
    if (mustBe && device != mustBe->path) {
        *message = CannotOpen(name, SystemErrors::NoSuchDevice());
        return std::nullopt;
    }
    return device;
}

QString CannotOpen(const QString& path, int error) {
    return Tt(TextKey::MsgPortUnavailable) + '\n' + PortErrors::Explain(path, error);
}

QString InvalidDcb(const QString& settings, long long error) {
    return QStringLiteral("Invalid device DCB %1 error: %2").arg(settings).arg(error);
}

QString InvalidTimeouts(const QString& name, long long error) {
    return QStringLiteral("Port timeout setting is invalid %1 error: %2").arg(name).arg(error);
}
}  // namespace SerialBackend
