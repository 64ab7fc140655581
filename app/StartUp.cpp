#include "app/StartUp.h"

#include <cmath>

#include "app/QtTranslations.h"
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
    switches = StartupSwitches{};
    // Line 4, a device path newer versions keep, survives; what follows it does not.
    QStringList serial = SettingsFiles::ReadLines(SettingsFiles::SetRcPath(), 4);
    if (serial[3].isEmpty()) serial.removeLast();
    const QStringList startup = SettingsFiles::ReadLines(SettingsFiles::Set2RcPath(), 3);

    // Rounded half to even; a level that rounds outside 0..4 is level 0.
    const double mode = std::nearbyint(SettingsFiles::LeadingNumber(startup[0]));
    if (mode >= 0 && mode <= 4) switches.FeatureMode = static_cast<int>(mode);
    switches.FullSerialLists = SettingsFiles::LeadingNumber(startup[1]) == 1 ? 1 : 0;
    switches.EnglishUi = SettingsFiles::LeadingNumber(startup[2]) == 1 ? 1 : 0;
    switches.ComboLeft = switches.EnglishUi ? 1320 : 960;
    TextTable::Fill(switches.EnglishUi == 1);
    UseQtTranslations(switches.EnglishUi == 1);

    serial[2] = TranslateParityWord(serial[2]);
    SettingsFiles::RewriteLines(SettingsFiles::SetRcPath(), serial);
    SettingsFiles::RewriteLines(
        SettingsFiles::Set2RcPath(),
        {QString::number(switches.FeatureMode), QString::number(switches.FullSerialLists),
         QString::number(switches.EnglishUi)});
}
