#include "windows/setting/SettingWindows.h"

#include "windows/setting/SetFrm.h"

void AddSettingWindows(std::map<QString, WorkWindowFactory>& factories) {
    factories["SetFrm"] = [] { return new SetFrm; };
}
