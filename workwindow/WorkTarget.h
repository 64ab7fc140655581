#pragma once
// What a window asks the main window to open on one module: the model's test window, its panel
// set to the port, line settings and address the module is at (a bus scan's row, a line
// overview's module).
#include <QString>

#include "core/modules/ParameterCodes.h"

struct WorkTarget {
    QString model;
    QString port;
    SerialCandidate settings;
    int address = 1;
};
