#include "core/line/HeldLines.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include "core/line/NetAddress.h"
#include "core/line/PortNames.h"

namespace HeldLines {
namespace {
// Lines may be opened from several threads (one worker per line). Both outlive every line, the
// process's port included, which closes at the program's very end.
QMutex& Guard() {
    static auto* mutex = new QMutex;
    return *mutex;
}
QHash<QString, const void*>& Held() {
    static auto* held = new QHash<QString, const void*>;
    return *held;
}
}  // namespace

QString KeyOf(const QString& name) {
    if (IsNetworkName(name)) {
        const auto address = ParseNetAddress(name);
        if (!address) return name;
        return QStringLiteral("net:%1:%2").arg(address->host.toLower()).arg(address->port);
    }
    const QString path = PortNames::DevicePath(name);
    // On Windows a COMn name is the device itself, and no file.
    if (PortNames::ComNumber(path)) return QStringLiteral("dev:") + path;
    // Two links to one device are one device.
    const QString target = QFileInfo(path).canonicalFilePath();
    return QStringLiteral("dev:") + (target.isEmpty() ? path : target);
}

bool Claim(const QString& key, const void* holder) {
    QMutexLocker lock(&Guard());
    auto& held = Held();
    const auto found = held.constFind(key);
    if (found != held.constEnd() && found.value() != holder) return false;
    held.insert(key, holder);
    return true;
}

void Release(const QString& key, const void* holder) {
    QMutexLocker lock(&Guard());
    auto& held = Held();
    const auto found = held.find(key);
    if (found != held.end() && found.value() == holder) held.erase(found);
}

int Count() {
    QMutexLocker lock(&Guard());
    return static_cast<int>(Held().size());
}
}  // namespace HeldLines
