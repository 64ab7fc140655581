#pragma once
// The setting family's entries in the main window's registry of work windows.
#include "link/WorkWindowFactory.h"

void AddSettingWindows(WorkWindowFactoryMap& factories);
