#include "core/overview/LineFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <set>

#include "base/Switches.h"
#include "core/line/HeldLines.h"
#include "core/modules/PollPlan.h"
#include "core/scan/ScanPlan.h"

namespace {
const QString kFormat = QStringLiteral("zn-line");

enum Problem {
    NotJson,             // %1 what the parser said
    OtherFormat,         // %1 the format found
    NewerVersion,        // %1 the file's version, %2 ours
    NoLines,             //
    NoPort,              //
    BadBaud,             // %1
    BadParity,           // %1
    BadWait,             // %1
    SamePort,            // %1 the port, %2 the other line
    NoModules,           //
    BadAddress,          // %1
    TwiceOnLine,         // %1
    UnknownModel,        // %1
    BadEnabled,          //
    UnknownChannel,      // %1 the channel, %2 the model
    BadLimit,            // %1 the channel, %2 the key
    LowNotBelowHigh,     // %1 channel, %2 low, %3 high
    NegativeHysteresis,  // %1 channel, %2 hysteresis
    ProblemCount
};

struct Pair {
    const char* english;
    const char* chinese;
};
constexpr Pair kTexts[ProblemCount] = {
    {"not a line file: %1", "不是线路文件：%1"},
    {"not a line file: its format is \"%1\", not \"zn-line\"",
     "不是线路文件：其格式为“%1”，而非“zn-line”"},
    {"version %1 is newer than this program reads (%2)", "版本 %1 比本程序能读的版本（%2）新"},
    {"no lines", "没有线路"},
    {"no port", "没有端口"},
    {"no window offers the baud rate %1", "没有窗口提供波特率 %1"},
    {"no window offers the parity \"%1\" (N, O or E)", "没有窗口提供校验“%1”（N、O 或 E）"},
    {"the reply wait %1 is not a whole number of ms from 1 to 60000",
     "应答等待 %1 不是 1 到 60000 之间的整数毫秒"},
    {"port %1 is also the port of line %2", "端口 %1 也是线路 %2 的端口"},
    {"no modules", "没有模块"},
    {"the address %1 is outside 1..247", "地址 %1 不在 1..247 之内"},
    {"the address %1 is on this line twice", "地址 %1 在本线路上出现两次"},
    {"unknown model \"%1\"", "未知型号“%1”"},
    {"\"enabled\" is not true or false", "“enabled”不是 true 或 false"},
    {"\"%1\" is no channel of a %2", "“%1”不是 %2 的通道"},
    {"channel %1: \"%2\" is not a number", "通道 %1：“%2”不是数字"},
    {"channel %1: low %2 is not below high %3", "通道 %1：下限 %2 不低于上限 %3"},
    {"channel %1: the hysteresis %2 is negative", "通道 %1：回差 %2 为负"},
};

// Says what is wrong, and where: the file, then the line and the module when known.
class Refusal {
  public:
    Refusal(const QString& fileName, bool english) : file_(fileName), english_(english) {}
    void AtLine(int index, const QString& name) {
        line_ =
            name.isEmpty()
                ? (english_ ? QStringLiteral("line %1") : QStringLiteral("线路 %1")).arg(index + 1)
                : (english_ ? QStringLiteral("line \"%1\"") : QStringLiteral("线路“%1”")).arg(name);
        module_.clear();
    }
    void AtModule(int index, int address) {
        module_ =
            address > 0
                ? (english_ ? QStringLiteral("module %1") : QStringLiteral("模块 %1")).arg(address)
                : (english_ ? QStringLiteral("module #%1") : QStringLiteral("第 %1 个模块"))
                      .arg(index + 1);
    }
    // The message, with `args` put in; always false, for a caller's return.
    bool Say(Problem problem, QString* error, const QStringList& args = {}) const {
        QString what =
            QString::fromUtf8(english_ ? kTexts[problem].english : kTexts[problem].chinese);
        for (const QString& arg : args) what = what.arg(arg);
        QStringList where = {file_};
        if (!line_.isEmpty()) where << line_;
        if (!module_.isEmpty()) where << module_;
        *error = where.join(english_ ? QStringLiteral(", ") : QStringLiteral("，")) +
                 (english_ ? QStringLiteral(": ") : QStringLiteral("：")) + what;
        return false;
    }

  private:
    QString file_;
    bool english_;
    QString line_;
    QString module_;
};

QString Shown(const QJsonValue& value) {
    if (value.isString()) return value.toString();
    if (value.isDouble()) return QString::number(value.toDouble());
    if (value.isUndefined()) return QStringLiteral("(none)");
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

// A whole number from JSON, or none.
std::optional<int> WholeNumber(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (number != static_cast<double>(static_cast<long long>(number)) || number < -1e9 ||
        number > 1e9)
        return std::nullopt;
    return static_cast<int>(number);
}

bool BaudOffered(int baud) {
    for (const SerialCandidate& candidate : ParameterCodes::SearchCandidates(true))
        if (candidate.baud == baud) return true;
    return false;
}

bool ReadLimits(const QJsonValue& value, const QString& model, const Refusal& refusal,
                LineModule* module, QString* error) {
    if (value.isUndefined()) return true;
    const auto plan = PollPlan::Of(model);
    const QJsonObject limits = value.toObject();
    for (auto it = limits.begin(); it != limits.end(); ++it) {
        const QString channel = it.key();
        bool known = false;
        if (plan)
            for (const TrendChannel& c : plan->channels) known = known || c.name == channel;
        if (!known) return refusal.Say(UnknownChannel, error, {channel, model});
        const QJsonObject spec = it.value().toObject();
        ChannelLimits parsed;
        for (const char* key : {"low", "high", "hysteresis"}) {
            const QJsonValue number = spec.value(QLatin1String(key));
            if (number.isUndefined()) continue;
            if (!number.isDouble()) return refusal.Say(BadLimit, error, {channel, key});
            if (QLatin1String(key) == QLatin1String("low")) parsed.low = number.toDouble();
            if (QLatin1String(key) == QLatin1String("high")) parsed.high = number.toDouble();
            if (QLatin1String(key) == QLatin1String("hysteresis"))
                parsed.hysteresis = number.toDouble();
        }
        if (parsed.low && parsed.high && *parsed.low >= *parsed.high)
            return refusal.Say(
                LowNotBelowHigh, error,
                {channel, QString::number(*parsed.low), QString::number(*parsed.high)});
        if (parsed.hysteresis < 0)
            return refusal.Say(NegativeHysteresis, error,
                               {channel, QString::number(parsed.hysteresis)});
        module->limits[channel] = parsed;
    }
    return true;
}

bool ReadModule(const QJsonObject& object, int index, Refusal& refusal, std::set<int>& addresses,
                LineModule* module, QString* error) {
    const auto address = WholeNumber(object.value("address"));
    refusal.AtModule(index, address.value_or(0));
    if (!address || *address < 1 || *address > 247)
        return refusal.Say(BadAddress, error, {Shown(object.value("address"))});
    if (!addresses.insert(*address).second)
        return refusal.Say(TwiceOnLine, error, {QString::number(*address)});
    module->address = *address;
    module->model = object.value("model").toString().trimmed().toUpper();
    if (!ModelNames().contains(module->model))
        return refusal.Say(UnknownModel, error, {Shown(object.value("model"))});
    module->tag = object.value("tag").toString();
    const QJsonValue enabled = object.value("enabled");
    if (!enabled.isUndefined() && !enabled.isBool()) return refusal.Say(BadEnabled, error);
    module->enabled = enabled.toBool(true);
    module->kept = object;
    return ReadLimits(object.value("limits"), module->model, refusal, module, error);
}

bool ReadLine(const QJsonObject& object, int index, Refusal& refusal, LineOfModules* line,
              QString* error) {
    line->name = object.value("name").toString();
    refusal.AtLine(index, line->name);
    line->port = object.value("port").toString().trimmed();
    if (line->port.isEmpty()) return refusal.Say(NoPort, error);
    const QJsonValue baud = object.value("baud");
    if (!baud.isUndefined()) {
        const auto rate = WholeNumber(baud);
        if (!rate || !BaudOffered(*rate)) return refusal.Say(BadBaud, error, {Shown(baud)});
        line->settings.baud = *rate;
    }
    const QJsonValue parity = object.value("parity");
    if (!parity.isUndefined()) {
        const QString letter = parity.toString();
        if (letter != "N" && letter != "O" && letter != "E")
            return refusal.Say(BadParity, error, {Shown(parity)});
        line->settings.parity = letter[0].toLatin1();
    }
    const QJsonValue enabled = object.value("enabled");
    if (!enabled.isUndefined() && !enabled.isBool()) return refusal.Say(BadEnabled, error);
    line->enabled = enabled.toBool(true);
    const QJsonValue wait = object.value("waitMs");
    line->waitMs = LineFile::DefaultWaitMs(line->settings);
    if (!wait.isUndefined()) {
        const auto ms = WholeNumber(wait);
        if (!ms || *ms < 1 || *ms > 60000) return refusal.Say(BadWait, error, {Shown(wait)});
        line->waitMs = *ms;
    }
    const QJsonArray modules = object.value("modules").toArray();
    if (modules.isEmpty()) return refusal.Say(NoModules, error);
    std::set<int> addresses;
    for (int i = 0; i < modules.size(); ++i) {
        LineModule module;
        if (!ReadModule(modules[i].toObject(), i, refusal, addresses, &module, error)) return false;
        line->modules.push_back(module);
    }
    line->kept = object;
    return true;
}

QString ParityText(char parity) {
    return QString(QChar(parity));
}
}  // namespace

int LineFile::DefaultWaitMs(const SerialCandidate& settings) {
    return ScanTiming::DefaultReplyWaitMs(settings);
}

std::optional<LineFile> LineFile::Parse(const QByteArray& json, const QString& fileName,
                                        bool english, QString* error) {
    Refusal refusal(fileName, english);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        refusal.Say(NotJson, error,
                    {parseError.error != QJsonParseError::NoError
                         ? parseError.errorString()
                         : (english ? QStringLiteral("no JSON object")
                                    : QStringLiteral("不是 JSON 对象"))});
        return std::nullopt;
    }
    LineFile file;
    file.kept = document.object();
    if (file.kept.value("format").toString() != kFormat) {
        refusal.Say(OtherFormat, error, {Shown(file.kept.value("format"))});
        return std::nullopt;
    }
    const auto version = WholeNumber(file.kept.value("version"));
    if (!version || *version > kVersion || *version < 1) {
        refusal.Say(NewerVersion, error,
                    {Shown(file.kept.value("version")), QString::number(kVersion)});
        return std::nullopt;
    }
    const QJsonArray lines = file.kept.value("lines").toArray();
    if (lines.isEmpty()) {
        refusal.Say(NoLines, error);
        return std::nullopt;
    }
    std::map<QString, QString> linesOfPorts;  // what a port is held under, and its line
    for (int i = 0; i < lines.size(); ++i) {
        LineOfModules line;
        if (!ReadLine(lines[i].toObject(), i, refusal, &line, error)) return std::nullopt;
        refusal.AtLine(i, line.name);
        file.lines.push_back(line);
        // Two lines polled at once on one port would talk over each other.
        if (!line.enabled) continue;
        const QString key = HeldLines::KeyOf(line.port);
        const auto [other, fresh] =
            linesOfPorts.emplace(key, line.name.isEmpty() ? QString::number(i + 1) : line.name);
        if (!fresh) {
            refusal.Say(SamePort, error, {line.port, other->second});
            return std::nullopt;
        }
    }
    return file;
}

std::optional<LineFile> LineFile::Load(const QString& path, bool english, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            path + (english ? QStringLiteral(": ") : QStringLiteral("：")) + file.errorString();
        return std::nullopt;
    }
    return Parse(file.readAll(), path, english, error);
}

QByteArray LineFile::ToJson() const {
    QJsonObject root = kept;
    root["format"] = kFormat;
    root["version"] = kVersion;
    QJsonArray lineArray;
    for (const LineOfModules& line : lines) {
        QJsonObject object = line.kept;
        object["name"] = line.name;
        object["port"] = line.port;
        object["baud"] = line.settings.baud;
        object["parity"] = ParityText(line.settings.parity);
        object["waitMs"] = line.waitMs;
        if (!line.enabled || object.contains("enabled")) object["enabled"] = line.enabled;
        QJsonArray moduleArray;
        for (const LineModule& module : line.modules) {
            QJsonObject m = module.kept;
            m["address"] = module.address;
            m["model"] = module.model;
            if (!module.tag.isEmpty() || m.contains("tag")) m["tag"] = module.tag;
            if (!module.enabled || m.contains("enabled")) m["enabled"] = module.enabled;
            QJsonObject limits = m.value("limits").toObject();
            for (auto it = limits.begin(); it != limits.end();)
                it = module.limits.count(it.key()) ? std::next(it) : limits.erase(it);
            for (const auto& [channel, limit] : module.limits) {
                QJsonObject l = limits.value(channel).toObject();
                for (const char* key : {"low", "high"}) l.remove(QLatin1String(key));
                if (limit.low) l["low"] = *limit.low;
                if (limit.high) l["high"] = *limit.high;
                if (limit.hysteresis != 0 || l.contains("hysteresis"))
                    l["hysteresis"] = limit.hysteresis;
                limits[channel] = l;
            }
            if (!limits.isEmpty())
                m["limits"] = limits;
            else
                m.remove("limits");
            moduleArray.append(m);
        }
        object["modules"] = moduleArray;
        lineArray.append(object);
    }
    root["lines"] = lineArray;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool LineFile::Save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray json = ToJson();
    if (file.write(json) != json.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
