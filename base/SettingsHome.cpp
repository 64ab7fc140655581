#include "base/SettingsHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace SettingsHome {
namespace {
bool HoldsSettings(const QString& folder) {
    return QFileInfo(folder + "/sys").isDir();
}

// Copies the shipped files the user's sys/ lacks; the copies are the user's to rewrite.
bool Seed(const QString& sys, const QString& defaults) {
    if (!QDir().mkpath(sys)) return false;
    const QFileInfoList shipped = QDir(defaults).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& file : shipped) {
        const QString copy = sys + "/" + file.fileName();
        if (QFileInfo::exists(copy)) continue;
        if (!QFile::copy(file.absoluteFilePath(), copy)) return false;
        QFile(copy).setPermissions(QFile::permissions(copy) | QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}
}  // namespace

QString Prepare(const QString& workingFolder, const QString& userFolder,
                const QStringList& defaultFolders) {
    if (HoldsSettings(workingFolder) || userFolder.isEmpty()) return workingFolder;
    for (const QString& defaults : defaultFolders) {
        if (!QFileInfo(defaults).isDir()) continue;
        return Seed(userFolder + "/sys", defaults) ? userFolder : workingFolder;
    }
    // Nothing shipped to copy: settings the user already has are still the user's.
    return HoldsSettings(userFolder) ? userFolder : workingFolder;
}

QString UserFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + "/zntool";
}

QStringList DefaultFolders() {
    QStringList folders{QCoreApplication::applicationDirPath() + "/../share/zntool/sys"};
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + "/zntool/sys";
    // The user's own copy is no source of defaults.
    folders.removeAll(UserFolder() + "/sys");
    return folders;
}

void Enter() {
    const QString folder = Prepare(QDir::currentPath(), UserFolder(), DefaultFolders());
    QDir::setCurrent(folder);
}
}  // namespace SettingsHome
