#pragma once
// The colours of a chart's lines: one each, told apart from one another and seen on a white
// ground, for up to twenty lines; more lines take hues spread around the wheel.
#include <QColor>
#include <vector>

std::vector<QColor> TrendColors(int count);
