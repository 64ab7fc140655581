#pragma once
// The analog family's entries in the main window's registry of work windows.
#include "app/WorkWindows.h"

void AddAnalogWindows(std::map<QString, WorkWindowFactory>& factories);
