#pragma once
// The registers family's entries in the main window's registry of work windows.
#include "workwindow/WorkWindowFactory.h"

void AddRegisterWindows(WorkWindowFactoryMap& factories);
