#include "windows/analog/AnalogWindows.h"

#include "windows/analog/AnalogInputWindow.h"
#include "windows/analog/AnalogOutputWindow.h"

void AddAnalogWindows(WorkWindowFactoryMap& factories) {
    factories["ZN210"] = [] { return new ZN210Frm; };
    factories["ZN220"] = [] { return new ZN220Frm; };
    factories["ZN230"] = [] { return new ZN230Frm; };
    factories["ZN240"] = [] { return new ZN240Frm; };
    factories["ZN250"] = [] { return new ZN250Frm; };
    factories["ZN260"] = [] { return new ZN260Frm; };
    factories["ZN270"] = [] { return new ZN270Frm; };
}
