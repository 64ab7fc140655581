#include "core/publish/PublishChoiceFile.h"

#include <QFile>
#include <QFileInfo>

#include "base/SettingsFiles.h"

namespace PublishChoiceFile {
namespace {
constexpr int kLines = 7;
}

QString Path() {
    return QStringLiteral("sys/publish.rc");
}

PublishChoice Read() {
    const QStringList lines = SettingsFiles::ReadLines(Path(), kLines);
    PublishChoice choice;
    choice.url = lines[0].trimmed();
    if (!lines[1].trimmed().isEmpty()) choice.prefix = lines[1].trimmed();
    choice.clientId = lines[2].trimmed();
    choice.authFile = lines[3].trimmed();
    choice.caFile = lines[4].trimmed();
    choice.haDiscovery = lines[5].trimmed() == "1";
    if (!lines[6].trimmed().isEmpty()) choice.haPrefix = lines[6].trimmed();
    return choice;
}

bool Save(const PublishChoice& choice) {
    if (!QFileInfo::exists(Path())) {
        QFile file(Path());
        if (!file.open(QIODevice::WriteOnly)) return false;
    }
    return SettingsFiles::RewriteLines(
        Path(), {choice.url, choice.prefix, choice.clientId, choice.authFile, choice.caFile,
                 choice.haDiscovery ? "1" : "0", choice.haPrefix});
}
}  // namespace PublishChoiceFile
