#include "core/line/PortNames.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace PortNames {
std::optional<int> ComNumber(const QString& name) {
    static const QRegularExpression com("^COM([0-9]{1,5})$",
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}

QString DevicePath(const QString& name) {
    if (name.contains('/')) return name;
    const auto number = ComNumber(name);
    if (!number) return name;
    // The link keeps the digits as typed: "COM01" is sys/COM01.
    const QString link = QStringLiteral("sys/") + name.toUpper();
    if (QFileInfo::exists(link) || QFileInfo(link).isSymLink()) return link;
    return QStringLiteral("/dev/ttyS%1").arg(*number - 1);
}
}  // namespace PortNames
