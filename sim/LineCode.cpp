#include "sim/LineCode.h"

#include <array>

namespace {
constexpr std::array<int, 10> kBauds = {1200,  2400,  4800,  9600,  14400,
                                        19200, 28800, 38400, 57600, 115200};
constexpr std::array<char, 3> kParities = {'N', 'O', 'E'};
// Short codes 1..8: 4800, 9600, 19200, 38400 with None, then with Even.
constexpr std::array<int, 4> kShortBauds = {4800, 9600, 19200, 38400};
}  // namespace

std::optional<ModuleLine> LineOfCode(int code) {
    if (code >= 1 && code <= 8)
        return ModuleLine{kShortBauds[(code - 1) % 4], code <= 4 ? 'N' : 'E'};
    if (code >= 100 && code <= 129)
        return ModuleLine{kBauds[(code - 100) % 10], kParities[(code - 100) / 10]};
    return std::nullopt;
}

std::optional<int> FullCode(ModuleLine line) {
    for (size_t b = 0; b < kBauds.size(); ++b)
        for (size_t p = 0; p < kParities.size(); ++p)
            if (kBauds[b] == line.baud && kParities[p] == line.parity)
                return static_cast<int>(100 + 10 * p + b);
    return std::nullopt;
}

int BitsPerCharacter(char parity) {
    return parity == 'N' ? 10 : 11;
}

double WireMs(int bytes, const ModuleLine& line) {
    return bytes * BitsPerCharacter(line.parity) * 1000.0 / line.baud;
}
