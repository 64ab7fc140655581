#pragma once
// A network line as the user types it in a port list: "tcp://HOST:PORT" (raw RTU frames to a
// serial device server), "rfc2217://HOST:PORT" (Telnet with Com Port Control, whose line settings
// the program sets) or "modbus-tcp://HOST[:PORT]" (a Modbus TCP gateway, port 502 by default).
#include <QString>
#include <optional>

enum class NetKind { RawTcp, Rfc2217, ModbusTcp };

struct NetAddress {
    NetKind kind = NetKind::RawTcp;
    QString host;
    int port = 0;
    bool operator==(const NetAddress&) const = default;
};

// True for a name written with a scheme ("word://..."): such a name is never a device path, even
// when it cannot be parsed.
bool IsNetworkName(const QString& name);
// The address a name gives; none for a device name or a malformed network name (unknown scheme,
// no host, a port missing where it is needed or outside 1..65535). An IPv6 host is written in
// brackets: "tcp://[::1]:4001".
std::optional<NetAddress> ParseNetAddress(const QString& name);
