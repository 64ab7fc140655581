#pragma once
// The analog family's entries in the main window's registry of work windows.
#include "workwindow/WorkWindowFactory.h"

void AddAnalogWindows(WorkWindowFactoryMap& factories);
