#include "core/line/PortErrors.h"

#include "base/TextTable.h"
#include "core/line/NetLine.h"
#include "core/line/SystemErrors.h"

namespace PortErrors {
QString Explain(const QString& path, int error) {
    switch (SystemErrors::OpenFailureOf(error)) {
        case OpenFailure::NoAccess:
            if (const auto group = AccessGroup(path))
                return Tt(TextKey::MsgPortNoAccessGroup).arg(path, *group);
            return Tt(TextKey::MsgPortNoAccess).arg(path);
        case OpenFailure::Busy: {
            const QStringList holders = Holders(path);
            return holders.isEmpty()
                       ? Tt(TextKey::MsgPortBusy).arg(path)
                       : Tt(TextKey::MsgPortBusyBy).arg(path, holders.join(QStringLiteral(", ")));
        }
        case OpenFailure::Missing:
            return Tt(TextKey::MsgPortMissing).arg(path);
        case OpenFailure::Other:
            break;
    }
    return Tt(TextKey::MsgPortOtherError).arg(path, SystemErrors::Text(error));
}

QString ExplainConnect(const QString& name, NetFailure failure, int error) {
    switch (failure) {
        case NetFailure::BadAddress:
            return Tt(TextKey::MsgNetBadAddress).arg(name);
        case NetFailure::NameNotFound:
            return Tt(TextKey::MsgNetNameNotFound).arg(name);
        case NetFailure::Refused:
            return Tt(TextKey::MsgNetRefused).arg(name);
        case NetFailure::TimedOut:
            return Tt(TextKey::MsgNetTimedOut)
                .arg(name)
                .arg(NetLine::kConnectTimeoutMs / 1000.0, 0, 'g', 3);
        case NetFailure::NoLineSettings:
            return Tt(TextKey::MsgNetNoLineSettings).arg(name);
        case NetFailure::Other:
            break;
    }
    return Tt(TextKey::MsgNetOtherError).arg(name, SystemErrors::Text(error));
}
QString ExplainSettingsRefused(const QString& name, const QString& asked,
                               const QString& acknowledged) {
    return Tt(TextKey::MsgNetSettingsRefused).arg(name, asked, acknowledged);
}
}  // namespace PortErrors
