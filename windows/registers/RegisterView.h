#pragma once
// How register values read from a module are written out, one line per register or pair.
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/modules/RegisterValues.h"

enum class RegisterView {
    System,      // register 100 on: one line each, labelled in service level 4
    FloatPairs,  // register 1280 on: pairs as single-precision floats, high register first
    CountPairs,  // register 2304 on: pairs as 32-bit counts, high register first
    Plain,       // any other block: one line each
};

// The view is chosen by the block's first register.
RegisterView ViewOfGroup(int first);

// The lines for the block starting at `first` holding `values` (16-bit each). A pair view ignores
// an odd last register.
QStringList RegisterLines(int first, const std::vector<int>& values, bool withLabels);
