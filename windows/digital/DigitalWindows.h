#pragma once
// The digital family's entries in the main window's registry of work windows.
#include "workwindow/WorkWindowFactory.h"

void AddDigitalWindows(WorkWindowFactoryMap& factories);
