#pragma once
// Words of the line that have no place in the shared text table, in either language.
#include <QString>

namespace LineTexts {
// Why a Modbus TCP gateway cannot be listened to; %1 is the line.
QString CannotListenModbusTcp(bool english);
}  // namespace LineTexts
