#pragma once
// The work windows the main window can open, by key: a model name, "SetFrm" or "SysFrm".
#include "workwindow/WorkWindowFactory.h"

const WorkWindowFactoryMap& WorkWindowFactories();
