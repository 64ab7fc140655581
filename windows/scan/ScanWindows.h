#pragma once
// The scan family's entry in the main window's registry of work windows.
#include "workwindow/WorkWindowFactory.h"

void AddScanWindows(WorkWindowFactoryMap& factories);
