#pragma once
// The setting family's entries in the main window's registry of work windows.
#include "app/WorkWindows.h"

void AddSettingWindows(std::map<QString, WorkWindowFactory>& factories);
