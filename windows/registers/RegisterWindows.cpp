#include "windows/registers/RegisterWindows.h"

#include "windows/registers/SysFrm.h"

void AddRegisterWindows(WorkWindowFactoryMap& factories) {
    factories["SysFrm"] = [] { return new SysFrm; };
}
