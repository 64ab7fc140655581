#include "app/StartUp.h"

#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "base/TextTable.h"

QString TranslateParityWord(const QString& word) {
    if (word == "无校验" || word == "None") return Tt(TextKey::ParityNone);
    if (word == "奇校验" || word == "Odd") return Tt(TextKey::ParityOdd);
    if (word == "偶校验" || word == "Even") return Tt(TextKey::ParityEven);
    return word;
}

void RunStartUp() {
    StartupSwitches& switches = Switches();
    // Line 4, a device path newer versions keep, survives; what follows it does not.
    QStringList serial = SettingsFiles::ReadLines(SettingsFiles::SetRcPath(), 4);
    if (serial[3].isEmpty()) serial.removeLast();
    switches = SwitchesOfSet2(SettingsFiles::ReadLines(SettingsFiles::Set2RcPath(), 3));
    TextTable::Fill(switches.EnglishUi == 1);

    serial[2] = TranslateParityWord(serial[2]);
    SettingsFiles::RewriteLines(SettingsFiles::SetRcPath(), serial);
    SettingsFiles::RewriteLines(
        SettingsFiles::Set2RcPath(),
        {QString::number(switches.FeatureMode), QString::number(switches.FullSerialLists),
         QString::number(switches.EnglishUi)});
}
