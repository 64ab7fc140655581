#include "windows/digital/DigitalWindows.h"

#include "windows/digital/CombinationWindows.h"
#include "windows/digital/DigitalIoWindows.h"

void AddDigitalWindows(WorkWindowFactoryMap& factories) {
    factories["ZN310"] = [] { return new ZN310Frm; };
    factories["ZN320"] = [] { return new ZN320Frm; };
    factories["ZN330"] = [] { return new ZN330Frm; };
    factories["ZN340"] = [] { return new ZN340Frm; };
    factories["ZN350"] = [] { return new ZN350Frm; };
    factories["ZN410"] = [] { return new ZN410Frm; };
    factories["ZN420"] = [] { return new ZN420Frm; };
    factories["ZN430"] = [] { return new ZN430Frm; };
}
