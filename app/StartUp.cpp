#include "app/StartUp.h"

#include "app/QtTranslations.h"
#include "base/SettingsFiles.h"
#include "base/TextTable.h"

QString TranslateParityWord(const QString& word) {
    if (word == "无校验" || word == "None") return Tt(TextKey::ParityNone);
    if (word == "奇校验" || word == "Odd") return Tt(TextKey::ParityOdd);
    if (word == "偶校验" || word == "Even") return Tt(TextKey::ParityEven);
    return word;
}

QStringList Set2RcLinesOf(const StartupSwitches& switches) {
    return {QString::number(switches.FeatureMode), QString::number(switches.FullSerialLists),
            QString::number(switches.EnglishUi)};
}

QStringList SetRcLinesAtStartUp(QStringList lines) {
    // Line 4, a device path newer versions keep, survives; what follows it does not.
    while (lines.size() > 4) lines.removeLast();
    while (lines.size() < 3) lines << QString();
    if (lines.size() == 4 && lines[3].isEmpty()) lines.removeLast();
    lines[2] = TranslateParityWord(lines[2]);
    return lines;
}

void RunStartUp() {
    const QStringList serial = SettingsFiles::ReadLines(SettingsFiles::SetRcPath(), 4);
    Switches() = SwitchesOfSet2(SettingsFiles::ReadLines(SettingsFiles::Set2RcPath(), 3));
    TextTable::Fill(Switches().EnglishUi == 1);
    UseQtTranslations(Switches().EnglishUi == 1);
    SettingsFiles::RewriteLines(SettingsFiles::SetRcPath(), SetRcLinesAtStartUp(serial));
    SettingsFiles::RewriteLines(SettingsFiles::Set2RcPath(), Set2RcLinesOf(Switches()));
}
