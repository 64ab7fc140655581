#pragma once
// Channel names over their indicators, four channels to a row, as both digital panels show them.
#include <QGridLayout>
#include <QLabel>
#include <vector>

#include "windows/digital/IndicatorLabel.h"

QGridLayout* IndicatorGrid(const std::vector<QLabel*>& names,
                           const std::vector<IndicatorLabel*>& indicators);
