#pragma once
// The serial settings string ("9600,N,8,1") and applying it to a terminal device.
#include <QString>
#include <optional>

struct LineSettings {
    int baud = 0;
    char parity = 'N';  // 'N', 'O' or 'E'
    int dataBits = 8;
    int stopBits = 1;
};

// Parses "baud,parity,data,stop": baud a positive integer, parity N/O/E in either case, data bits
// 5 to 8, stop bits 1 or 2. Blanks around the fields are allowed.
std::optional<LineSettings> ParseLineSettings(const QString& text);

// Microseconds one character takes on the wire at `settings` (start, data, parity and stop bits);
// 0 without a baud rate.
double CharacterMicros(const LineSettings& settings);

// Applies the settings to an open terminal, raw, any baud rate (through the kernel's arbitrary
// rate support). Returns 0 or the errno of the failure.
int ApplyLineSettings(int fd, const LineSettings& settings);

// What the far end of a pseudo-terminal has set: reading the master end gives the slave's speed and
// the odd-parity flag (a pty drops the parity-enable flag itself). Returns 0 or errno.
int ReadLineSettings(int fd, int* baud, bool* oddParity);
