// Kept apart from <termios.h>, which clashes with the kernel's termios2 header needed here.
#include "core/line/SerialLineSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstring>

extern "C" int ioctl(int fd, unsigned long request, ...);

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
