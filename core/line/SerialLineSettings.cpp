#include "core/line/SerialLineSettings.h"

#include <QStringList>

std::optional<LineSettings> ParseLineSettings(const QString& text) {
    const QStringList fields = text.split(',');
    if (fields.size() != 4) return std::nullopt;
    LineSettings settings;
    bool ok = false;
    const QString baud = fields[0].trimmed();
    settings.baud = baud.toInt(&ok);
    if (!ok || settings.baud <= 0 || baud.startsWith('+')) return std::nullopt;
    const QString parity = fields[1].trimmed().toUpper();
    if (parity != "N" && parity != "O" && parity != "E") return std::nullopt;
    settings.parity = parity[0].toLatin1();
    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 5 || settings.dataBits > 8) return std::nullopt;
    settings.stopBits = fields[3].trimmed().toInt(&ok);
    if (!ok || (settings.stopBits != 1 && settings.stopBits != 2)) return std::nullopt;
    return settings;
}

double CharacterMicros(const LineSettings& settings) {
    const int bits = 1 + settings.dataBits + (settings.parity == 'N' ? 0 : 1) + settings.stopBits;
    return settings.baud > 0 ? bits * 1e6 / settings.baud : 0;
}
