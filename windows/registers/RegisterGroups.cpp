#include "windows/registers/RegisterGroups.h"

#include <array>

namespace {
constexpr std::array<RegisterGroup, 8> kGroups{{
    {"System Data", 100, 16},
    {"Sensor Data", 1280, 16},
    {"Sensor Range", 1344, 16},
    {"PWM Data", 1536, 5},
    {"Count 16Bit", 2048, 16},
    {"Count 32Bit", 2304, 32},
    {"AI/VI ADJ", 1000, 8},
    {"AO/VO ADJ", 48, 6},
}};
}  // namespace

std::span<const RegisterGroup> RegisterGroups(int featureMode) {
    const bool adjustments = featureMode == 3 || featureMode == 4;
    return std::span<const RegisterGroup>(kGroups).first(adjustments ? 8 : 6);
}

std::optional<RegisterGroup> GroupOfEntry(const QString& text, int featureMode) {
    for (const RegisterGroup& group : RegisterGroups(featureMode))
        if (text == QLatin1String(group.entry)) return group;
    return std::nullopt;
}

const QStringList& CommandNames() {
    static const QStringList names = {
        "(setAddr  ) ", "(setBaud  ) ", "(TYPE_RD  ) ", "(VER_RD   ) ",
        "(None     ) ", "(None     ) ", "(None     ) ", "(None     ) ",
        "(None     ) ", "(None     ) ", "(setOTM   ) ", "(None     ) ",
        "(setAD    ) ", "(setNonet ) ", "(setSend  ) ", "(None     ) ",
    };
    return names;
}
