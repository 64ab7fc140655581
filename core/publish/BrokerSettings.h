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
// "zntool-HOST-NAME", NAME the line file's base name: one watcher per line file and host.
QString DefaultClientId(const QString& lineFilePath);
}  // namespace BrokerSettingsOf
