#include "trend/TrendLanes.h"

std::vector<TrendLane> StackLanes(int count, double top, double height) {
    std::vector<TrendLane> lanes;
    if (count <= 0) return lanes;
    const double band = height / count;
    // A fifth of the band above the 1 and below the 0 keeps neighbouring lines apart.
    const double room = band / 5;
    for (int k = 0; k < count; ++k) {
        const double laneTop = top + k * band;
        lanes.push_back({laneTop, laneTop + band, laneTop + room, laneTop + band - room});
    }
    return lanes;
}
