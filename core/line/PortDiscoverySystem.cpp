// The system's side of port discovery: the installed source, else the system's own list
// (PortDiscoveryPosix, PortDiscoveryWin). Listing only: opening stays in the serial layer.
#include "core/line/PortDiscovery.h"

namespace PortDiscovery {
namespace {
Source& Installed() {
    static Source source;
    return source;
}
}  // namespace

QList<DiscoveredPort> Discover() {
    return Installed() ? Installed()() : SystemPorts();
}

Source SetSource(Source source) {
    Source old = std::move(Installed());
    Installed() = std::move(source);
    return old;
}
}  // namespace PortDiscovery
