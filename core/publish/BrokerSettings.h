#pragma once
// Where and as whom a watcher publishes: the broker's address from its URL, the client id, the
// credentials and the TLS authority, and the topic prefixes. Read and checked before anything is
// polled, so a broker that could never be used ends the watcher at its start.
#include <QString>
#include <optional>

struct BrokerSettings {
    QString url;  // as given, for messages
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile;  // mqtts:// only; empty: the system's authorities
    QString clientId;
    QString user;  // empty: anonymous
    QString password;
    QString prefix = QStringLiteral("zn");
    bool haDiscovery = false;
    QString haPrefix = QStringLiteral("homeassistant");
    // The last will: set by the publisher, sent by the broker when the watcher vanishes.
    QString willTopic;
    QByteArray willPayload;
};

// What a user chose: on the command line, or in the overview's dialog.
struct PublishChoice {
    QString url;
    QString prefix = QStringLiteral("zn");
    QString clientId;  // empty: DefaultClientId
    QString authFile;  // empty: anonymous
    QString caFile;
    bool haDiscovery = false;
    QString haPrefix = QStringLiteral("homeassistant");
};

class LineFile;

namespace BrokerSettingsOf {
// The settings of `choice` for the lines of `file` (read from `lineFilePath`), everything
// checked; false with the message naming what cannot be used.
bool Make(const PublishChoice& choice, const LineFile& file, const QString& lineFilePath,
          bool english, BrokerSettings* settings, QString* error);
// The URL's host and port into `settings`; false with the message when it is not
// mqtt://HOST[:PORT] or mqtts://HOST[:PORT].
bool ParseUrl(const QString& url, BrokerSettings* settings, bool english, QString* error);
// The user name (first line) and password (second line) of `path`, a file kept out of the
// command line and the process list; false with the message when it cannot be read.
bool ReadAuthFile(const QString& path, BrokerSettings* settings, bool english, QString* error);
// The CA file must be readable now, not found missing at the first connection.
bool CheckCaFile(const QString& path, bool english, QString* error);
// "zntool-HOST-NAME", NAME the line file's base name: one watcher per line file and host.
QString DefaultClientId(const QString& lineFilePath);
}  // namespace BrokerSettingsOf
