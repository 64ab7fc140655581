#pragma once
// The digital family's entries in the main window's registry of work windows.
#include "link/WorkWindowFactory.h"

void AddDigitalWindows(WorkWindowFactoryMap& factories);
