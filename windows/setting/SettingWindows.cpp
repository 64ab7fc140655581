#include "windows/setting/SettingWindows.h"

#include "windows/setting/SetFrm.h"

void AddSettingWindows(WorkWindowFactoryMap& factories) {
    factories["SetFrm"] = [] { return new SetFrm; };
}
