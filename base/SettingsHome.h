#pragma once
// Where the settings files live. A working folder that holds sys/ keeps them, as it always has
// (a build folder, the run/ folder of tools/run.sh, an existing installation). Otherwise, as when
// the installed program starts from the desktop menu, they live in the user's own data folder
// (~/.local/share/zntool/sys; on Windows %LOCALAPPDATA%\zntool\sys), filled from the shipped
// defaults on first start. An installation's own folder that its user may not write is no
// working folder: it holds the defaults.
#include <QString>
#include <QStringList>

namespace SettingsHome {
// The folder to work in: `workingFolder` when it holds sys/; else `userFolder`, with its sys/
// made and every shipped file it lacks copied from the first of `defaultFolders` that exists (a
// file the user has changed is never replaced). `workingFolder` again when neither has
// settings to offer, so the start-up goes on with its defaults as before.
QString Prepare(const QString& workingFolder, const QString& userFolder,
                const QStringList& defaultFolders);
// <XDG data home>/zntool; on Windows, the user's local application data folder\zntool.
QString UserFolder();
// Where an installation keeps the shipped sys/: on Windows in the program's own folder; beside
// the program (<prefix>/share/zntool/sys, so an unpacked package works where it lies), then in
// each XDG data folder.
QStringList DefaultFolders();
// Prepares the folder and makes it the working directory, so sys/... paths lead there. Runs
// before anything reads the settings.
void Enter();
}  // namespace SettingsHome
