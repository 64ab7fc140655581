#include "windows/registers/RegisterWindows.h"

void AddRegisterWindows(std::map<QString, WorkWindowFactory>& factories) { (void)factories; }
