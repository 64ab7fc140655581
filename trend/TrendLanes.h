#pragma once
// Digital inputs drawn as a logic analyser draws them: each in a lane of its own, stacked from
// the top in the order of the inputs, so no input's line hides another's.

#include <vector>

// Where one input's lane lies, in pixels from the top (y grows downwards).
struct TrendLane {
    double top, bottom;  // the band it owns
    double high, low;    // where its 1 and its 0 are drawn, inside the band with room around
};

// `count` lanes of equal height filling `height` pixels from `top`.
std::vector<TrendLane> StackLanes(int count, double top, double height);
