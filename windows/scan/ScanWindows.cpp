#include "windows/scan/ScanWindows.h"

#include "windows/scan/ScanFrm.h"

void AddScanWindows(WorkWindowFactoryMap& factories) {
    factories["ScanFrm"] = [] { return new ScanFrm; };
}
