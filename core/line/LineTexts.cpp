#include "core/line/LineTexts.h"

namespace LineTexts {
QString CannotListenModbusTcp(bool english) {
    return english ? QStringLiteral(
                         "%1 is a Modbus TCP gateway: it answers only its own client, so its bus "
                         "cannot be listened to. Listen on the bus itself, or on a raw tcp:// or "
                         "rfc2217:// server.")
                   : QStringLiteral(
                         "%1 是 Modbus TCP 网关：它只应答自己的客户端，无法监听其总线。"
                         "请直接监听总线，或通过 tcp:// 或 rfc2217:// 串口服务器监听。");
}
}  // namespace LineTexts
