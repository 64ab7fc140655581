// The settings files through the start-up and the communication panel, end to end (the input as
// SettingsInput.h reads it). The files are written in a scratch working folder, read by the
// start-up (which rewrites set.rc and set2.rc), the timer intervals are read, and a panel loads
// set.rc, saves it and a second panel loads what was saved. Files, syncs and widgets make it too
// slow to search with; it replays the settings inputs in the normal build, and FuzzSettings
// searches the same parsing in memory.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/StartUp.h"
#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "workwindow/CommPanel.h"
#include "tests/fuzz/FuzzTargets.h"
#include "tests/fuzz/SettingsInput.h"

namespace {
// A scratch folder for the whole run; each input is played in it and the caller's working
// folder comes back afterwards.
class Scratch {
  public:
    Scratch() : previous_(QDir::currentPath()) {
        // In memory where there is such a folder: every rewrite is synced to disk.
        static QTemporaryDir dir(QFileInfo("/dev/shm").isWritable()
                                     ? QStringLiteral("/dev/shm/zn-fuzz-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/zn-fuzz-XXXXXX"));
        QDir::setCurrent(dir.path());
        QDir sys("sys");
        sys.removeRecursively();
        QDir().mkdir("sys");
    }
    ~Scratch() { QDir::setCurrent(previous_); }

  private:
    QString previous_;
};

void EnsureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(content);
}

bool IsNumberText(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high && QString::number(value) == text;
}
}  // namespace

int FuzzSettingsRoundTrip(const uint8_t* data, size_t size) {
    EnsureApplication();
    Scratch scratch;
    const QList<QByteArray> files = SettingsFilesOfInput(data, size);
    const QString paths[3] = {SettingsFiles::SetRcPath(), SettingsFiles::Set2RcPath(),
                              SettingsFiles::TmRcPath()};
    for (int i = 0; i < 3 && i < files.size(); ++i) WriteFile(paths[i], files[i]);
    const bool set2Exists = QFile::exists(paths[1]);
    const bool setExists = QFile::exists(paths[0]);

    RunStartUp();
    const StartupSwitches& switches = Switches();
    FuzzCheck(switches.FeatureMode >= 0 && switches.FeatureMode <= 4,
              "the service level is 0 to 4");
    FuzzCheck(switches.FullSerialLists == 0 || switches.FullSerialLists == 1, "lists are 0 or 1");
    FuzzCheck(switches.EnglishUi == 0 || switches.EnglishUi == 1, "the language is 0 or 1");
    FuzzCheck(QFile::exists(paths[1]) == set2Exists, "the start-up makes no set2.rc");
    if (set2Exists) {
        const QStringList written = SettingsFiles::ReadLines(paths[1], 4);
        FuzzCheck(written[0] == QString::number(switches.FeatureMode) &&
                      written[1] == QString::number(switches.FullSerialLists) &&
                      written[2] == QString::number(switches.EnglishUi) && written[3].isEmpty(),
                  "set2.rc is rewritten with the switches in force");
    }

    const QList<int> intervals = SettingsFiles::ReadIntervals();
    FuzzCheck(intervals.size() == 6, "six intervals");
    for (int interval : intervals)
        FuzzCheck(interval >= 0 && interval <= 65535, "an interval is 0 to 65535");

    CommPanel panel(nullptr);
    panel.Load();
    FuzzCheck(panel.Combo1->currentIndex() >= -1 && panel.Combo1->currentIndex() < 20,
              "the port is one of the list or none");
    panel.SaveSettings();
    FuzzCheck(QFile::exists(paths[0]) == setExists, "saving makes no set.rc");
    if (!setExists) return 0;
    const QStringList saved = SettingsFiles::ReadLines(paths[0], 4);
    FuzzCheck(IsNumberText(saved[0], 0, 99999), "the saved port is a number");
    // A saved text reads back as it was, unless its UTF-8 form is past the line limit.
    const bool fits = saved[1].toUtf8().size() < 4096 && saved[2].toUtf8().size() < 4096;
    if (fits)
        FuzzCheck(saved[1] == panel.Combo2->currentText() &&
                      saved[2] == panel.Combo3->currentText() &&
                      (saved[3].isEmpty() || (saved[0] == "0" && saved[3].contains('/'))),
                  "set.rc holds the panel's baud and parity texts");

    CommPanel again(nullptr);
    again.Load();
    if (fits)
        FuzzCheck(again.Combo2->currentText() == panel.Combo2->currentText() &&
                      again.Combo3->currentText() == panel.Combo3->currentText(),
                  "what a panel saves, the next panel loads");
    if (saved[0] != "0")
        FuzzCheck(again.Combo1->currentText() == "COM" + saved[0],
                  "a saved port number loads as that port");
    return 0;
}
