#include "windows/digital/DigitalWindows.h"

void AddDigitalWindows(std::map<QString, WorkWindowFactory>& factories) { (void)factories; }
