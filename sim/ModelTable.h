#pragma once
// The fifteen module models as the simulator plays them: what each measures, drives and reads.
#include <string>
#include <vector>

// What registers 0.. hold on an input model.
enum class Measures {
    Nothing,       // no measurement registers
    Rtd,           // raw = (temperature + 55) * 10
    DsSensors,     // tenths of a degree, negatives as 10000 + tenths, 65535 = no sensor
    Counts,        // converter counts 0..4095 (4095 = full scale)
    WholeDegrees,  // whole degrees, above 1000 = no sensor
};

struct ModelInfo {
    std::string name;  // "ZN210", as in the program's model list
    int code;          // register 102
    Measures measures;
    int channels;       // measurement registers from 0
    int outputs;        // analog output registers from 0
    int outputDefault;  // their value at power-up (µA or mV)
    int inputs;         // discrete inputs from 0
    int coils;          // coils from 0
    double fullScale;   // engineering value of count 4095 (mA or V) on counting models
};

// In the order of the program's model list.
const std::vector<ModelInfo>& Models();
// By name, upper or lower case; null when there is no such model.
const ModelInfo* FindModel(const std::string& name);
