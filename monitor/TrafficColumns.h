#pragma once
// The monitor's first column widths: each column as wide as the texts it must show whole, in
// either language, measured as its cells draw them. The meaning column holds a request's meaning;
// longer meanings are cut with "…" and read whole in their tooltips. The last column (the cause)
// takes what the window leaves it.
#include <QFont>
#include <array>

#include "core/traffic/TrafficTexts.h"

namespace TrafficColumns {
// The longest reply a function-test window collects: the eight readings of an eight-channel
// input module, 5 + 2 × 8 bytes. The register window's blocks of 16 and 32 registers (37 and 69
// bytes) would ask for a column wider than most screens: those are cut, and whole in the tooltip.
inline constexpr int kWholeReplyBytes = 21;

using Widths = std::array<int, TrafficTexts::ColumnCount>;

// `textFont` draws the cells, `bytesFont` the bytes column; `padding` is left blank on each side.
Widths Default(const QFont& textFont, const QFont& bytesFont, int padding);
}  // namespace TrafficColumns
