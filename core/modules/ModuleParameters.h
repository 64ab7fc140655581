#pragma once
// What the broadcast parameter read tells about a module: its address, parameter code and model
// code (registers 100..102), and the three lines that show them.
#include <QString>

struct ModuleParameters {
    int address = 0;
    int parameterCode = 0;
    int modelCode = 0;
};

namespace ModuleParametersText {
// The model string of a model code (210 -> "ZN210"); empty for a code no model has.
QString ModelOfCode(int code);
// The three words of a read reply in received-text form ("00 03 06 00 01 00 67 01 04 .. ..").
ModuleParameters Decode(const QString& receivedText);
// "Address: 1" CR LF "Parameters: 9600,None,8,1" CR LF "Model: ZN260", in the current language.
QString Lines(const ModuleParameters& parameters);
}  // namespace ModuleParametersText
