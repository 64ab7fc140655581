// Kept apart from <termios.h>, which clashes with the kernel's termios2 header needed here.
#include "core/line/SerialLineSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <QStringList>
#include <cerrno>
#include <cstring>

extern "C" int ioctl(int fd, unsigned long request, ...);

std::optional<LineSettings> ParseLineSettings(const QString& text) {
    const QStringList fields = text.split(',');
    if (fields.size() != 4) return std::nullopt;
    LineSettings settings;
    bool ok = false;
    const QString baud = fields[0].trimmed();
    settings.baud = baud.toInt(&ok);
    if (!ok || settings.baud <= 0 || baud.startsWith('+')) return std::nullopt;
    const QString parity = fields[1].trimmed().toUpper();
    if (parity != "N" && parity != "O" && parity != "E") return std::nullopt;
    settings.parity = parity[0].toLatin1();
    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 5 || settings.dataBits > 8) return std::nullopt;
    settings.stopBits = fields[3].trimmed().toInt(&ok);
    if (!ok || (settings.stopBits != 1 && settings.stopBits != 2)) return std::nullopt;
    return settings;
}

int ApplyLineSettings(int fd, const LineSettings& settings) {
    struct termios2 tio;
    std::memset(&tio, 0, sizeof tio);  // start from nothing, like a fresh device control block
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag = BOTHER | CREAD | CLOCAL | sizes[settings.dataBits - 5];
    if (settings.parity != 'N') tio.c_cflag |= PARENB;
    if (settings.parity == 'O') tio.c_cflag |= PARODD;
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(settings.baud);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &tio) != 0) return errno ? errno : EINVAL;
    return 0;
}

int ReadLineSettings(int fd, int* baud, bool* oddParity) {
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    *baud = static_cast<int>(tio.c_ospeed);
    *oddParity = (tio.c_cflag & PARODD) != 0;
    return 0;
}

double CharacterMicros(const LineSettings& settings) {
    const int bits = 1 + settings.dataBits + (settings.parity == 'N' ? 0 : 1) + settings.stopBits;
    return settings.baud > 0 ? bits * 1e6 / settings.baud : 0;
}
