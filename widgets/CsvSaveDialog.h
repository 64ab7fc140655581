#pragma once
// The one save dialog every CSV file the program writes is named in: the traffic log's Save CSV
// and Record, a trend's Record, the scan's Save CSV and the batch log's Browse; and the same
// dialog for the program's other files.
#include <QFileDialog>
#include <QString>
#include <functional>

#include "core/record/RotatingCsv.h"

// Asks where to save a CSV file, starting at `suggested` (a file name or a path); empty when the
// user cancelled. A name typed without an extension gets ".csv".
QString AskCsvSavePath(QWidget* parent, const QString& caption, const QString& suggested,
                       const QString& filter, QFileDialog::Options options = {});

// The same for a file of another kind, whose name typed without an extension gets `extension`.
QString AskSavePath(QWidget* parent, const QString& caption, const QString& suggested,
                    const QString& filter, const QString& extension);

// The same for a recording, with the choice of when to start a new file below the name. It starts
// at the choice remembered from the last recording and remembers the one accepted, which it puts
// in `rotation`.
QString AskRecordingPath(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter, bool english, CsvRotation* rotation);

// `path` with ".csv" added when its file name has no extension: "log" and "log." become
// "log.csv", "log.txt" stays. A leading dot (a hidden file) or one followed by a space is no
// extension's; dots in the folders do not count. Empty stays empty.
QString WithCsvExtension(const QString& path);
QString WithExtension(const QString& path, const QString& extension);

// How the built dialog is put to the user: exec() unless replaced. Tests answer it themselves
// (type a name, accept or reject) so that nothing waits for a person; an empty function restores
// exec().
using CsvDialogAnswer = std::function<int(QFileDialog& dialog)>;
void SetCsvDialogAnswer(CsvDialogAnswer answer);
