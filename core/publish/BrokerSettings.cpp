#include "core/publish/BrokerSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

#include "core/overview/LineFile.h"
#include "core/publish/PublishTexts.h"
#include "core/publish/PublishTopics.h"

namespace BrokerSettingsOf {

namespace {
// A prefix is one or more topic levels of its own, without wildcards.
bool FitPrefix(const QString& prefix) {
    return !prefix.isEmpty() && !prefix.startsWith('/') && !prefix.endsWith('/') &&
           !prefix.contains('+') && !prefix.contains('#') && !prefix.contains("//");
}
// The URL's host and port into `settings`: mqtt://HOST[:PORT] or mqtts://HOST[:PORT].
bool ParseUrl(const QString& url, BrokerSettings* settings, bool english, QString* error) {
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    const bool known = scheme == "mqtt" || scheme == "mqtts";
    // Anything beyond a host and a port (a path, a user, a query) would be silently ignored.
    const bool bare = parsed.path().isEmpty() || parsed.path() == "/";
    const int port = parsed.port(scheme == "mqtts" ? 8883 : 1883);
    if (!parsed.isValid() || !known || parsed.host().isEmpty() || !bare ||
        !parsed.userInfo().isEmpty() || parsed.hasQuery() || parsed.hasFragment() || port < 1) {
        *error = PublishTexts::Text(PublishTexts::BadUrl, english).arg(url);
        return false;
    }
    settings->url = url.trimmed();
    settings->host = parsed.host();
    settings->port = port;
    settings->tls = scheme == "mqtts";
    return true;
}

// The user name (first line) and password (second line) of `path`, a file kept out of the
// command line and the process list.
bool ReadAuthFile(const QString& path, BrokerSettings* settings, bool english, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = PublishTexts::Text(PublishTexts::FileUnreadable, english)
                     .arg("--mqtt-auth", path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.read(64 * 1024)).split('\n');
    const auto line = [&lines](int i) {
        QString text = lines.value(i);
        if (text.endsWith('\r')) text.chop(1);
        return text;
    };
    settings->user = line(0).trimmed();
    settings->password = line(1);  // blanks may be part of a password
    if (settings->user.isEmpty()) {
        *error = PublishTexts::Text(PublishTexts::AuthEmpty, english).arg(path);
        return false;
    }
    return true;
}

// The CA file must be readable now, not found missing at the first connection.
bool CheckCaFile(const QString& path, bool english, QString* error) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly) || file.read(1).isEmpty()) {
        const QString why = QFileInfo(path).isDir()                ? QStringLiteral("a folder")
                            : file.error() != QFileDevice::NoError ? file.errorString()
                                                                   : QStringLiteral("empty");
        *error =
            PublishTexts::Text(PublishTexts::FileUnreadable, english).arg("--mqtt-ca", path, why);
        return false;
    }
    return true;
}
}  // namespace

bool Make(const PublishChoice& choice, const LineFile& file, const QString& lineFilePath,
          bool english, BrokerSettings* settings, QString* error) {
    BrokerSettings made;
    if (!ParseUrl(choice.url, &made, english, error)) return false;
    for (const auto& [option, prefix] : {std::pair{"--mqtt-prefix", choice.prefix},
                                         std::pair{"--ha-discovery", choice.haPrefix}}) {
        if (FitPrefix(prefix)) continue;
        *error = PublishTexts::Text(PublishTexts::BadPrefix, english).arg(option, prefix);
        return false;
    }
    made.prefix = choice.prefix;
    made.haDiscovery = choice.haDiscovery;
    made.haPrefix = choice.haPrefix;
    made.clientId = choice.clientId.trimmed().isEmpty() ? DefaultClientId(lineFilePath)
                                                        : choice.clientId.trimmed();
    if (!choice.authFile.isEmpty() && !ReadAuthFile(choice.authFile, &made, english, error))
        return false;
    if (!choice.caFile.isEmpty()) {
        if (!made.tls) {
            *error = PublishTexts::Text(PublishTexts::CaWithoutTls, english);
            return false;
        }
        if (!CheckCaFile(choice.caFile, english, error)) return false;
        made.caFile = choice.caFile;
    }
    for (size_t i = 0; i < file.lines.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (PublishTopics::Level(file.lines[i].name) ==
                PublishTopics::Level(file.lines[j].name)) {
                *error = PublishTexts::Text(PublishTexts::SameTopic, english)
                             .arg(file.lines[j].name, file.lines[i].name);
                return false;
            }
    *settings = made;
    return true;
}

QString DefaultClientId(const QString& lineFilePath) {
    return QStringLiteral("zntool-%1-%2")
        .arg(QSysInfo::machineHostName(), QFileInfo(lineFilePath).completeBaseName());
}
}  // namespace BrokerSettingsOf
