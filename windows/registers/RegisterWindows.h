#pragma once
// The registers family's entries in the main window's registry of work windows.
#include "app/WorkWindows.h"

void AddRegisterWindows(std::map<QString, WorkWindowFactory>& factories);
