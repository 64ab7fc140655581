#include "app/WorkWindows.h"

#include "windows/analog/AnalogWindows.h"
#include "windows/digital/DigitalWindows.h"
#include "windows/registers/RegisterWindows.h"
#include "windows/scan/ScanWindows.h"
#include "windows/setting/SettingWindows.h"

const WorkWindowFactoryMap& WorkWindowFactories() {
    static const WorkWindowFactoryMap factories = [] {
        WorkWindowFactoryMap all;
        AddSettingWindows(all);
        AddRegisterWindows(all);
        AddAnalogWindows(all);
        AddDigitalWindows(all);
        AddScanWindows(all);
        return all;
    }();
    return factories;
}
