#include "core/record/TrendCsv.h"

#include <QDateTime>
#include <cmath>

#include "core/record/CsvFile.h"
#include "core/record/TrendTexts.h"

namespace TrendCsv {
QByteArray Header(const std::vector<TrendChannel>& channels, bool english) {
    QStringList names{TrendTexts::UiText(TrendTexts::Time, english)};
    for (const TrendChannel& channel : channels)
        names << (channel.unit.isEmpty()
                      ? channel.name
                      : QStringLiteral("%1 (%2)").arg(channel.name, channel.unit));
    return Csv::Header(names);
}

QString ValueText(double value, int decimals) {
    const QString text = QString::number(value, 'f', decimals);
    return std::signbit(value) && !text.startsWith('-') ? '-' + text : text;
}

QString LocalTime(int64_t msSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(Qt::ISODateWithMs);
}

QByteArray Line(int64_t msSinceEpoch, const std::vector<double>& values,
                const std::vector<TrendChannel>& channels) {
    QStringList fields{LocalTime(msSinceEpoch)};
    for (size_t c = 0; c < channels.size(); ++c) {
        const double value = c < values.size() ? values[c] : NAN;
        fields << (std::isnan(value) ? QString() : ValueText(value, channels[c].decimals));
    }
    return Csv::Line(fields);
}
}  // namespace TrendCsv
