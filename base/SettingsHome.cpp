#include "base/SettingsHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace SettingsHome {
namespace {
bool HoldsSettings(const QString& folder) {
    return QFileInfo(folder + "/sys").isDir();
}

// Whether a new file can be made in `folder`: asked of the system itself, as a folder's
// permissions on Windows tell nothing (Program Files looks writable and is not).
bool TakesNewFiles(const QString& folder) {
    QTemporaryFile probe(folder + "/.zntool-XXXXXX");
    return probe.open();
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
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{program + "/../share/zntool/sys"};
#ifdef Q_OS_WIN
    // Windows keeps an installation in one folder: sys/ lies beside the program.
    folders.prepend(program + "/sys");
#endif
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + "/zntool/sys";
    // The user's own copy is no source of defaults.
    folders.removeAll(UserFolder() + "/sys");
    return folders;
}

void Enter() {
    QString working = QDir::currentPath();
    // Started in an installation's own folder that this user may not write (a shortcut into
    // Program Files): its sys/ is the shipped defaults, and the settings are the user's own.
    if (HoldsSettings(working) &&
        QFileInfo(working) == QFileInfo(QCoreApplication::applicationDirPath()) &&
        !TakesNewFiles(working + "/sys") && !UserFolder().isEmpty())
        working = UserFolder();
    const QString folder = Prepare(working, UserFolder(), DefaultFolders());
    QDir::setCurrent(folder);
}
}  // namespace SettingsHome
