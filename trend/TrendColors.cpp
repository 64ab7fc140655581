#include "trend/TrendColors.h"

#include <cmath>

namespace {
// The first eleven are the colours charts of few lines always had; the rest were picked each as
// far from all before it as a colour dark enough for a one-pixel line on white can be.
const QColor kPalette[] = {{31, 119, 180},  {214, 39, 40},  {44, 160, 44},   {255, 127, 14},
                           {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {127, 127, 127},
                           {188, 189, 34},  {23, 190, 207}, {0, 0, 0},       {0, 0, 224},
                           {224, 0, 224},   {96, 0, 128},   {0, 64, 96},     {128, 0, 0},
                           {0, 96, 0},      {128, 0, 224},  {192, 0, 128},   {128, 128, 0}};
}  // namespace

std::vector<QColor> TrendColors(int count) {
    std::vector<QColor> colors;
    if (count <= static_cast<int>(std::size(kPalette))) {
        colors.assign(std::begin(kPalette), std::begin(kPalette) + std::max(0, count));
        return colors;
    }
    // Evenly spread hues, every other one darker, so neighbours in hue differ in lightness too.
    for (int k = 0; k < count; ++k)
        colors.push_back(
            QColor::fromHsvF(static_cast<float>(k) / count, 0.9f, k % 2 ? 0.45f : 0.7f));
    return colors;
}
