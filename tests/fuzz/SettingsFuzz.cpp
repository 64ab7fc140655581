// The settings files' texts through the parsing of the start-up and the communication panel, in
// memory: set2.rc into the switches, tm.rc into the intervals, set.rc as the start-up rewrites it
// and a panel loads it, saves it and loads it again. The files themselves and the panel's lists
// are the round-trip target's (SettingsRoundTripFuzz.cpp); this one is fast enough to search.
#include "app/StartUp.h"
#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/PortDiscovery.h"
#include "core/line/SavedLine.h"
#include "tests/fuzz/FuzzTargets.h"
#include "tests/fuzz/SettingsInput.h"

namespace {
// The lines a reader finds in a file that was rewritten with `lines`.
QStringList Reread(const QStringList& lines, int count) {
    return SettingsFiles::LinesOfContent(SettingsFiles::ContentOfLines(lines), count);
}

// Lines whose UTF-8 forms are within the line limit: they read back as they were written.
bool Fits(const QStringList& lines) {
    for (const QString& line : lines)
        if (line.toUtf8().size() >= 4096) return false;
    return true;
}

bool IsNumberText(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high && QString::number(value) == text;
}

// Filling the text table costs more than the rest: only when the language changes.
void UseLanguage(bool english) {
    static int filled = -1;
    if (filled == int(english)) return;
    TextTable::Fill(english);
    filled = english;
}
}  // namespace

int FuzzSettings(const uint8_t* data, size_t size) {
    const QList<QByteArray> files = SettingsFilesOfInput(data, size);
    const auto content = [&](int i) { return i < files.size() ? files[i] : QByteArray(); };

    const StartupSwitches switches = SwitchesOfSet2(SettingsFiles::LinesOfContent(content(1), 3));
    FuzzCheck(switches.FeatureMode >= 0 && switches.FeatureMode <= 4,
              "the service level is 0 to 4");
    FuzzCheck(switches.FullSerialLists == 0 || switches.FullSerialLists == 1, "lists are 0 or 1");
    FuzzCheck(switches.EnglishUi == 0 || switches.EnglishUi == 1, "the language is 0 or 1");
    const QStringList set2 = Set2RcLinesOf(switches);
    const StartupSwitches reread = SwitchesOfSet2(Reread(set2, 3));
    FuzzCheck(reread.FeatureMode == switches.FeatureMode &&
                  reread.FullSerialLists == switches.FullSerialLists &&
                  reread.EnglishUi == switches.EnglishUi && reread.ComboLeft == switches.ComboLeft,
              "the rewritten set2.rc gives the same switches");

    for (const QString& line : SettingsFiles::LinesOfContent(content(2), 6)) {
        const int interval = SettingsFiles::IntervalOfTmLine(line);
        FuzzCheck(interval >= 0 && interval <= 65535, "an interval is 0 to 65535");
    }

    UseLanguage(switches.EnglishUi == 1);
    const QStringList atStartUp = SetRcLinesAtStartUp(SettingsFiles::LinesOfContent(content(0), 4));
    FuzzCheck(atStartUp.size() == 3 || (atStartUp.size() == 4 && !atStartUp[3].isEmpty()),
              "the start-up keeps three lines and a device line");
    FuzzCheck(!Fits(atStartUp) || SetRcLinesAtStartUp(Reread(atStartUp, 4)) == atStartUp,
              "the start-up's set.rc is left as it is at the next start-up");

    const SavedLine loaded = SavedLineText::Decode(Reread(atStartUp, 4));
    FuzzCheck(loaded.comIndex >= -1 && loaded.comIndex < kComPortCount,
              "the port is one of the list or none");
    const QStringList saved =
        SavedLineText::Encode(PortDiscovery::DeviceOfText(loaded.port), loaded.baud, loaded.parity);
    FuzzCheck(IsNumberText(saved[0], 0, 99999), "the saved port is a number");
    FuzzCheck(saved.size() == 3 || (saved.size() == 4 && saved[0] == "0" && saved[3].contains('/')),
              "a device line follows port 0 only");
    // A saved text reads back as it was, unless its UTF-8 form is past the line limit.
    const SavedLine again = SavedLineText::Decode(Reread(saved, 4));
    if (Fits(saved))
        FuzzCheck(again.baud == loaded.baud && again.parity == loaded.parity,
                  "what a panel saves, the next panel loads");
    if (saved[0] != "0")
        FuzzCheck(again.port == "COM" + saved[0], "a saved port number loads as that port");
    return 0;
}
