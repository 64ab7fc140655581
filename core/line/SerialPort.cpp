#include "core/line/SerialPort.h"

namespace SerialPort {
Line& Port() {
    static Line port;
    return port;
}
}  // namespace SerialPort
