#include "base/Switches.h"

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
