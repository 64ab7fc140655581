#include "core/line/PortNames.h"

#include <QRegularExpression>

namespace PortNames {
std::optional<int> ComNumber(const QString& name) {
    static const QRegularExpression com("^COM([0-9]{1,5})$",
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = com.match(name);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt();
}
}  // namespace PortNames
