#pragma once
// The simulator's command line: which buses to play, which modules sit on each, their faults.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "sim/SimBus.h"

struct BusConfig {
    std::string path;  // where the line's device link is made, e.g. sys/COM1
    std::vector<ModuleConfig> modules;
    bool bench = false;  // the modules come one at a time
    BenchTiming timing;
    std::string tapPath;     // a second pty there gets a copy of every byte on the line
    int rawTcpPort = -1;     // raw RTU over TCP on 127.0.0.1 (0: a free port), -1 none
    int modbusTcpPort = -1;  // Modbus TCP on 127.0.0.1 (0: a free port), -1 none
};

struct SimConfig {
    std::vector<BusConfig> buses;
    std::vector<std::string> folders;  // made first when missing (the demo's)
    bool verbose = false;
    double frozenAt = -1;  // >= 0: measurements and inputs held at this many seconds
    uint32_t seed = 1;
    bool help = false;
    bool dieWithParent = false;  // ends (as on SIGTERM) when the process that started it dies
};

// The configuration, or the text of what is wrong with the arguments.
std::variant<SimConfig, std::string> ParseCommandLine(const std::vector<std::string>& args);

// "ZN210,addr=1,baud=9600,parity=N,fault=late:every=3": one module, or an error text.
std::variant<ModuleConfig, std::string> ParseModuleSpec(const std::string& spec);

// The buses of the demo: DIR/COM1 .. DIR/COM15, one model each in list order, address 1,
// 9600 baud, no parity.
std::vector<BusConfig> DemoBuses(const std::string& dir);

// The line of twenty modules (--many): every model, addresses 1 to 247, most at 9600 baud and
// no parity, two at 19200 even, one at 4800, one at address 42 that holds the code of 19200 even
// but talks at 9600 without parity.
BusConfig ManyModulesLine(const std::string& path);

std::string UsageText();
