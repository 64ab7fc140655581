#pragma once
// The setting family's entries in the main window's registry of work windows.
#include "workwindow/WorkWindowFactory.h"

void AddSettingWindows(WorkWindowFactoryMap& factories);
