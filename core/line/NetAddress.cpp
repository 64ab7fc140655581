#include "core/line/NetAddress.h"

#include <QRegularExpression>

bool IsNetworkName(const QString& name) {
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]*://");
    return scheme.match(name).hasMatch();
}

std::optional<NetAddress> ParseNetAddress(const QString& name) {
    static const QRegularExpression form(
        "^([A-Za-z0-9-]+)://(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9._-]+)(?::([0-9]{1,5}))?/?$");
    const auto match = form.match(name.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    const QString scheme = match.captured(1).toLower();
    NetAddress address;
    if (scheme == "tcp")
        address.kind = NetKind::RawTcp;
    else if (scheme == "rfc2217")
        address.kind = NetKind::Rfc2217;
    else if (scheme == "modbus-tcp")
        address.kind = NetKind::ModbusTcp;
    else
        return std::nullopt;
    address.host = match.captured(2);
    if (address.host.startsWith('[')) address.host = address.host.mid(1, address.host.size() - 2);
    if (match.captured(3).isEmpty()) {
        // Only Modbus TCP has a port everyone uses; a serial device server's is configured.
        if (address.kind != NetKind::ModbusTcp) return std::nullopt;
        address.port = 502;
    } else {
        address.port = match.captured(3).toInt();
    }
    if (address.port < 1 || address.port > 65535) return std::nullopt;
    return address;
}
