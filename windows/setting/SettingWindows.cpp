#include "windows/setting/SettingWindows.h"

void AddSettingWindows(std::map<QString, WorkWindowFactory>& factories) { (void)factories; }
