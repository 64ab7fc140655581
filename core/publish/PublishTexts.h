#pragma once
// The words of publishing to a broker, in either language.
#include <QString>

namespace PublishTexts {
enum Key {
    BadUrl,          // %1 the URL: not mqtt:// or mqtts://HOST[:PORT]
    FileUnreadable,  // %1 option, %2 path, %3 reason
    AuthEmpty,       // %1 path
    CaWithoutTls,    // --mqtt-ca with mqtt://
    BadPrefix,       // %1 option, %2 prefix
    SameTopic,       // %1, %2 line names that publish under one topic
    Unreachable,     // %1 broker, %2 why
    Connected,       // %1 broker
    Lost,            // %1 broker, %2 why
    NotBuiltIn,      // a build without the broker library
    KeyCount
};
QString Text(Key key, bool english);
}  // namespace PublishTexts
