#pragma once
// The digital family's entries in the main window's registry of work windows.
#include "app/WorkWindows.h"

void AddDigitalWindows(std::map<QString, WorkWindowFactory>& factories);
