#pragma once
// What a panel tells the trend about one of its channels.
#include <QString>

struct TrendChannel {
    QString name;        // as the panel labels it ("AI_1", "DI_01")
    QString unit;        // "mA", "V", "℃"; empty for a 0/1 input
    int decimals = 0;    // as the panel shows the value
    bool steps = false;  // a 0/1 input, drawn as steps
};
