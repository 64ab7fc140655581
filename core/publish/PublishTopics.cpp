#include "core/publish/PublishTopics.h"

#include <QCryptographicHash>

#include "core/modules/PollPlan.h"
#include "core/overview/OverviewRows.h"

namespace PublishTopics {
namespace {
const LineModule& ModuleOf(const LineFile& file, int line, int module) {
    return file.lines[line].modules[module];
}

// Home Assistant takes [a-zA-Z0-9_-] in its ids; a name with other letters keeps a hash of
// itself, so "线路一" and "线路二" stay apart.
QString AsciiId(const QString& name) {
    QString id;
    bool replaced = false;
    for (const QChar c : name) {
        const bool fit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '_' || c == '-';
        id += fit ? c : QChar('_');
        replaced = replaced || !fit;
    }
    if (replaced)
        id +=
            '_' +
            QString::fromLatin1(
                QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(6));
    return id;
}

struct HaUnit {
    QString unit;
    QString deviceClass;
};
// Home Assistant checks a device class's unit: it takes "°C", not "℃".
HaUnit HaUnitOf(const QString& unit) {
    if (unit == QStringLiteral("℃")) return {QStringLiteral("°C"), "temperature"};
    if (unit == "mA") return {unit, "current"};
    if (unit == "V") return {unit, "voltage"};
    return {unit, {}};
}

QByteArray Pair(const char* key, const QByteArray& json) {
    return '"' + QByteArray(key) + "\":" + json;
}
}  // namespace

QString Level(const QString& name) {
    QString level;
    for (const QChar c : name)
        level += (c == '/' || c == '+' || c == '#' || c.isSpace() ||
                  c.category() == QChar::Other_Control)
                     ? QChar('_')
                     : c;
    return level.isEmpty() ? QStringLiteral("_") : level;
}

QString ModuleTopic(const QString& prefix, const LineFile& file, int line, int module) {
    return prefix + '/' + Level(file.lines[line].name) + '/' +
           QString::number(ModuleOf(file, line, module).address);
}

QString WatcherStatus(const QString& prefix, const QString& clientId) {
    return prefix + "/watcher/" + Level(clientId) + "/status";
}

QByteArray State(const LineFile& file, const ModuleReport& report) {
    return OverviewRows::JsonLine(file, report);
}

QByteArray StateChangeKey(const LineFile& file, const ModuleReport& report) {
    ModuleReport timeless = report;
    timeless.timeMs = 0;
    timeless.poll.responseMs = -1;
    return OverviewRows::JsonLine(file, timeless);
}

QByteArray Availability(const ModuleReport& report, const QByteArray& before) {
    if (report.wrongModel || report.status == ModuleStatus::Offline) return "offline";
    if (report.status == ModuleStatus::Ok || report.status == ModuleStatus::Late) return "online";
    return before;  // failing: as it stood
}

QByteArray Alarm(const LineFile& file, const AlarmEvent& event) {
    const QStringList columns = AlarmTracker::FileColumns();
    const QStringList row = AlarmTracker::FileRow(file, event);
    QByteArray json = "{";
    for (int i = 0; i < columns.size(); ++i) {
        if (i > 0) json += ',';
        const QByteArray value = columns[i] == "address"
                                     ? row.value(i).toUtf8()
                                     : OverviewRows::JsonStringOrNull(row.value(i));
        json += OverviewRows::JsonString(columns[i]) + ':' + value;
    }
    return json + '}';
}

std::vector<Discovery> HaDiscovery(const QString& haPrefix, const QString& prefix,
                                   const QString& clientId, const LineFile& file, int line,
                                   int module) {
    using OverviewRows::JsonString;
    const LineModule& m = ModuleOf(file, line, module);
    const QString topic = ModuleTopic(prefix, file, line, module);
    const QString node =
        AsciiId(prefix) + '_' + AsciiId(file.lines[line].name) + '_' + QString::number(m.address);
    const QString name = (m.tag.isEmpty() ? m.model : m.tag) + " @" + QString::number(m.address);
    const QByteArray device = "{" + Pair("identifiers", '[' + JsonString(node) + ']') + ',' +
                              Pair("name", JsonString(name)) + ',' +
                              Pair("model", JsonString(m.model)) + ',' +
                              Pair("manufacturer", JsonString("ZN")) + ',' +
                              Pair("suggested_area", JsonString(file.lines[line].name)) + '}';
    const QByteArray watcher =
        "{" + Pair("topic", JsonString(WatcherStatus(prefix, clientId))) + '}';
    const QByteArray both = QByteArray("[{") + Pair("topic", JsonString(topic + "/availability")) +
                            "}," + watcher + ']';

    std::vector<Discovery> configs;
    const auto add = [&](const QString& component, const QString& object, const QByteArray& fields,
                         const QByteArray& availability) {
        const QString id = node + '_' + AsciiId(object);
        configs.push_back(
            {haPrefix + '/' + component + '/' + node + '/' + AsciiId(object) + "/config",
             "{" + Pair("name", JsonString(object)) + ',' + Pair("unique_id", JsonString(id)) +
                 ',' + Pair("state_topic", JsonString(topic + "/state")) + ',' + fields + ',' +
                 Pair("availability", availability) + ',' +
                 Pair("availability_mode", JsonString("all")) + ',' + Pair("device", device) +
                 '}'});
    };
    if (const auto plan = PollPlan::Of(m.model)) {
        for (const TrendChannel& channel : plan->channels) {
            const QString value =
                "{{ value_json.channels.get('" + channel.name + "', {}).get('value') }}";
            if (channel.steps) {
                add("binary_sensor", channel.name,
                    Pair("value_template", JsonString(value)) + ',' +
                        Pair("payload_on", JsonString("1")) + ',' +
                        Pair("payload_off", JsonString("0")),
                    both);
                continue;
            }
            const HaUnit unit = HaUnitOf(channel.unit);
            QByteArray fields =
                Pair("value_template", JsonString(value)) + ',' +
                Pair("unit_of_measurement", JsonString(unit.unit)) + ',' +
                Pair("state_class", JsonString("measurement")) + ',' +
                Pair("suggested_display_precision", QByteArray::number(channel.decimals));
            if (!unit.deviceClass.isEmpty())
                fields += ',' + Pair("device_class", JsonString(unit.deviceClass));
            add("sensor", channel.name, fields, both);
        }
    }
    // The status stays available while the module is offline: it says so.
    add("sensor", "status", Pair("value_template", JsonString("{{ value_json.status }}")),
        '[' + watcher + ']');
    return configs;
}
}  // namespace PublishTopics
