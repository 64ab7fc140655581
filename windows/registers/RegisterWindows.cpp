#include "windows/registers/RegisterWindows.h"

#include "windows/registers/SysFrm.h"

void AddRegisterWindows(std::map<QString, WorkWindowFactory>& factories) {
    factories["SysFrm"] = [] { return new SysFrm; };
}
