#pragma once
// The module's parameter code (register 101): its baud rate and parity in one number.
// Full codes: 100 + 10 * parity index (None, Odd, Even) + baud index; short codes 1..8.
#include <optional>

struct ModuleLine {
    int baud = 9600;
    char parity = 'N';  // 'N', 'O' or 'E'
    bool operator==(const ModuleLine&) const = default;
};

// The line a code stands for; nothing for a code the module refuses.
std::optional<ModuleLine> LineOfCode(int code);
// The full code of a line; nothing when the module has no such rate or parity.
std::optional<int> FullCode(ModuleLine line);
// Bits one character takes on the wire: start, 8 data, parity when used, stop.
int BitsPerCharacter(char parity);
// Milliseconds `bytes` characters take on the wire.
double WireMs(int bytes, const ModuleLine& line);
