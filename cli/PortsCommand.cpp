// ports: the serial devices present, as the port lists show them.
#include "cli/CliOutput.h"
#include "cli/Commands.h"
#include "core/line/PortDiscovery.h"

int RunPorts(const CliRun& run) {
    CliOutput output(run.out, run.format, {QStringLiteral("Device"), QStringLiteral("Entry")});
    output.Begin();
    for (const PortEntry& entry : PortDiscovery::Entries(PortDiscovery::Discover()))
        output.Row({entry.device, entry.text}, entry.text);
    return kDone;
}
