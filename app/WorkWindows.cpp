#include "app/WorkWindows.h"

#include "windows/analog/AnalogWindows.h"
#include "windows/digital/DigitalWindows.h"
#include "windows/registers/RegisterWindows.h"
#include "windows/setting/SettingWindows.h"

const std::map<QString, WorkWindowFactory>& WorkWindowFactories() {
    static const std::map<QString, WorkWindowFactory> factories = [] {
        std::map<QString, WorkWindowFactory> all;
        AddSettingWindows(all);
        AddRegisterWindows(all);
        AddAnalogWindows(all);
        AddDigitalWindows(all);
        return all;
    }();
    return factories;
}
