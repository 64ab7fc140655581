#include "windows/analog/AnalogWindows.h"

void AddAnalogWindows(std::map<QString, WorkWindowFactory>& factories) { (void)factories; }
