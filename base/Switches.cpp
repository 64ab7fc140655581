#include "base/Switches.h"

#include <cmath>

#include "base/SettingsFiles.h"

StartupSwitches& Switches() {
    static StartupSwitches switches;
    return switches;
}

const QStringList& ModelNames() {
    static const QStringList names = {"ZN210", "ZN220", "ZN230", "ZN240", "ZN250",
                                      "ZN260", "ZN270", "ZN310", "ZN320", "ZN330",
                                      "ZN340", "ZN350", "ZN410", "ZN420", "ZN430"};
    return names;
}

StartupSwitches SwitchesOfSet2(const QStringList& lines) {
    StartupSwitches switches;
    const double mode = std::nearbyint(SettingsFiles::LeadingNumber(lines.value(0)));
    if (mode >= 0 && mode <= 4) switches.FeatureMode = static_cast<int>(mode);
    switches.FullSerialLists = SettingsFiles::LeadingNumber(lines.value(1)) == 1 ? 1 : 0;
    switches.EnglishUi = SettingsFiles::LeadingNumber(lines.value(2)) == 1 ? 1 : 0;
    switches.ComboLeft = switches.EnglishUi ? 1320 : 960;
    return switches;
}
