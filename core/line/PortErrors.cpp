#include "core/line/PortErrors.h"

#include "base/TextTable.h"
#include "core/line/NetLine.h"
#include "core/line/SystemErrors.h"

namespace PortErrors {
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
