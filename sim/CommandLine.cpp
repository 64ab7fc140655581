#include "sim/CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>

namespace {
bool ToInt(const std::string& text, long low, long high, long* value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *value = std::stol(text);
    return *value >= low && *value <= high;
}
}  // namespace

std::string UsageText() {
    return R"(Usage: znsim [options] --bus PATH --module SPEC [--module SPEC ...] [--bus PATH ...]
       znsim [options] --demo DIR
       znsim [options] --many PATH | --bench PATH --module SPEC [--module SPEC ...]

Plays buses of ZN modules on pseudo-terminals. Each --bus makes a line whose device is linked at
PATH (for example sys/COM1, which the program opens as port COM1); the --module options after it
put modules on that line. The links are removed when znsim ends (Ctrl-C, SIGTERM).

Module SPEC: MODEL[,addr=N][,baud=B][,parity=P][,code=C][,at=BP][,take=MS][,writes=W][,fault=F]...
  MODEL   ZN210 ZN220 ZN230 ZN240 ZN250 ZN260 ZN270 ZN310 ZN320 ZN330 ZN340 ZN350
          ZN410 ZN420 ZN430
  addr    module address 1..254 (default 1)
  baud    1200 2400 4800 9600 14400 19200 28800 38400 57600 115200 (default 9600)
  parity  N, O or E (default N)
  code    parameter code held in register 101 instead of baud/parity: 1..8 (4800N 9600N
          19200N 38400N 4800E 9600E 19200E 38400E) or 100..129
  fault   KIND[:every=N|:prob=P][:ms=M][:code=X]; KIND is silence, late (M ms later, default
          500), short (last byte lost), lead (extra 00 byte first), garbage, badcrc, exception
          (code X, default 4). Default every=1; several fault= options are tried in order.
  at      talks at these settings whatever its code says, e.g. at=9600N (until its code is
          written): a module whose settings were changed but not yet taken
  take    takes a new address or line settings only MS ms after the write (it echoes at once)
  writes  refuse (exception 04) or ignore (echo, nothing changed) an address or settings write

Options:
  --demo DIR   DIR/COM1 .. DIR/COM15 (DIR made if missing), one module each at address 1,
               9600 baud, no parity: ZN210 on COM1, ZN220 on COM2, ... ZN430 on COM15
  --many PATH  a line of 20 modules at PATH: every model, addresses 1 to 247, most at 9600 N,
               ZN250@64 and ZN330@150 at 19200 E, ZN420@200 at 4800 N, ZN310@42 holding the
               code of 19200 E but talking at 9600 N
  --bench PATH a bench at PATH: the --module options after it are connected one at a time, in
               order; a module goes --hold MS after the last write it took (default 1500), one
               never written --pause MS after the program first reached it (default 5000); the
               next comes --gap MS later (default 1000)
  --tap PATH   the bus before it gets a listening pty at PATH: a copy of every request as it
               arrives and every reply as it goes out, on the pty or the network, with the real
               silences between them; whatever a listener writes there is dropped
  --tcp PORT   the bus before it is reached on 127.0.0.1:PORT too, as raw RTU over TCP (what a
               plain serial device server passes on); every module answers there whatever its
               baud rate and parity, as the server's line is taken as set right for it
  --modbus-tcp PORT
               the bus before it is reached on 127.0.0.1:PORT as Modbus TCP (unit id = module
               address), as through a Modbus TCP gateway: faults apply on its line; a module
               that gives no valid reply within 1000 ms (silent, late, bad CRC, garbage) is
               answered with exception 0B (gateway target failed to respond); unit 0 is passed
               on like any address. PORT 0 takes a free port; the port is printed.
               One client at a time on each port: the next waits until it leaves. After --demo
               these options apply to its last bus (COM15)
  --verbose    print every request and reply as hex with a time stamp
  --freeze S   hold measurements and inputs where they are S seconds after the start
  --seed N     seed of the fault probabilities (default 1)
  --die-with-parent
               end, removing the links, when the process that started znsim dies, even killed
  --help       this text

Example:
  znsim --verbose --bus sys/COM1 --module ZN210,addr=1 --module ZN330,addr=2,fault=late:every=3
  znsim --bus sys/COM1 --tcp 5021 --modbus-tcp 5502 --tap sys/TAP1 --module ZN210
  znsim --bench sys/COM17 --hold 2000 --module ZN210 --module ZN220,writes=refuse \
        --module ZN230,take=800
)";
}

std::variant<ModuleConfig, std::string> ParseModuleSpec(const std::string& spec) {
    std::stringstream parts(spec);
    std::string part;
    std::getline(parts, part, ',');
    ModuleConfig module;
    module.model = FindModel(part);
    if (!module.model) return "unknown model '" + part + "'";
    ModuleLine line;
    bool lineGiven = false;
    long code = -1;
    while (std::getline(parts, part, ',')) {
        const auto equals = part.find('=');
        const std::string key = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        long number = 0;
        if (key == "addr") {
            if (!ToInt(value, 1, 254, &number)) return "address '" + value + "' is not 1..254";
            module.address = static_cast<int>(number);
        } else if (key == "baud") {
            if (!ToInt(value, 1, 115200, &number) || !FullCode({static_cast<int>(number), 'N'}))
                return "baud rate '" + value + "' is not one a module offers";
            line.baud = static_cast<int>(number);
            lineGiven = true;
        } else if (key == "parity") {
            if (value != "N" && value != "O" && value != "E" && value != "n" && value != "o" &&
                value != "e")
                return "parity '" + value + "' is not N, O or E";
            line.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
            lineGiven = true;
        } else if (key == "code") {
            if (!ToInt(value, 0, 65535, &code) || !LineOfCode(static_cast<int>(code)))
                return "parameter code '" + value + "' is not 1..8 or 100..129";
        } else if (key == "at") {
            const char parity =
                value.empty()
                    ? '?'
                    : static_cast<char>(std::toupper(static_cast<unsigned char>(value.back())));
            if (!ToInt(value.substr(0, value.empty() ? 0 : value.size() - 1), 1, 115200, &number) ||
                !FullCode({static_cast<int>(number), parity}))
                return "at='" + value + "' is not a baud rate and N, O or E (9600N)";
            module.talksAt = ModuleLine{static_cast<int>(number), parity};
        } else if (key == "take") {
            if (!ToInt(value, 0, 600000, &number))
                return "take '" + value + "' is not 0..600000 ms";
            module.takeMs = static_cast<int>(number);
        } else if (key == "writes") {
            if (value == "refuse")
                module.writes = ParameterWrites::Refuses;
            else if (value == "ignore")
                module.writes = ParameterWrites::Ignores;
            else
                return "writes '" + value + "' is not refuse or ignore";
        } else if (key == "fault") {
            std::string error;
            const auto rule = ParseFaultRule(value, &error);
            if (!rule) return error;
            module.faults.push_back(*rule);
        } else {
            return "unknown module option '" + part + "'";
        }
    }
    if (code >= 0 && lineGiven) return "give either code= or baud=/parity=, not both";
    module.code = code >= 0 ? static_cast<int>(code) : *FullCode(line);
    return module;
}

std::vector<BusConfig> DemoBuses(const std::string& dir) {
    std::vector<BusConfig> buses;
    int port = 1;
    for (const ModelInfo& model : Models()) {
        ModuleConfig module;
        module.model = &model;
        BusConfig bus;
        bus.path = dir + "/COM" + std::to_string(port++);
        bus.modules = {module};
        buses.push_back(bus);
    }
    return buses;
}

BusConfig ManyModulesLine(const std::string& path) {
    struct Seat {
        const char* model;
        int address;
        int code;
    };
    // Code 2 is the short code of 9600 N; 125 is 19200 E; 102 is 4800 N.
    static const Seat seats[] = {
        {"ZN210", 1, 103},   {"ZN220", 2, 103},   {"ZN230", 3, 103},   {"ZN240", 7, 2},
        {"ZN260", 10, 103},  {"ZN270", 15, 103},  {"ZN320", 21, 103},  {"ZN340", 30, 103},
        {"ZN310", 42, 125},  {"ZN350", 55, 103},  {"ZN250", 64, 125},  {"ZN410", 77, 103},
        {"ZN430", 90, 103},  {"ZN210", 100, 103}, {"ZN220", 128, 2},   {"ZN330", 150, 125},
        {"ZN260", 175, 103}, {"ZN420", 200, 102}, {"ZN230", 231, 103}, {"ZN410", 247, 103},
    };
    BusConfig bus;
    bus.path = path;
    for (const Seat& seat : seats) {
        ModuleConfig module;
        module.model = FindModel(seat.model);
        module.address = seat.address;
        module.code = seat.code;
        if (seat.address == 42) module.talksAt = ModuleLine{9600, 'N'};
        bus.modules.push_back(module);
    }
    return bus;
}

std::variant<SimConfig, std::string> ParseCommandLine(const std::vector<std::string>& args) {
    SimConfig config;
    BenchTiming timing;
    std::set<size_t> manyAt;  // buses made by --many take no --module
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            config.help = true;
        } else if (arg == "--verbose" || arg == "-v") {
            config.verbose = true;
        } else if (arg == "--die-with-parent") {
            config.dieWithParent = true;
        } else if (arg == "--freeze") {
            char* end = nullptr;
            config.frozenAt = hasValue ? std::strtod(args[i + 1].c_str(), &end) : -1;
            if (!hasValue || args[i + 1].empty() || *end != '\0' || config.frozenAt < 0 ||
                config.frozenAt > 1e6)
                return std::string("--freeze needs a time in seconds");
            ++i;
        } else if (arg == "--seed") {
            long seed = 0;
            if (!hasValue || !ToInt(args[i + 1], 0, 999999999, &seed))
                return std::string("--seed needs a whole number");
            config.seed = static_cast<uint32_t>(seed);
            ++i;
        } else if (arg == "--demo") {
            if (!hasValue || args[i + 1].empty()) return std::string("--demo needs a folder");
            config.folders.push_back(args[++i]);
            for (BusConfig& bus : DemoBuses(args[i])) config.buses.push_back(bus);
        } else if (arg == "--many") {
            if (!hasValue || args[i + 1].empty()) return std::string("--many needs a path");
            config.buses.push_back(ManyModulesLine(args[++i]));
            config.buses.back().path = args[i];
            manyAt.insert(config.buses.size() - 1);
        } else if (arg == "--bench") {
            if (!hasValue || args[i + 1].empty()) return std::string("--bench needs a path");
            config.buses.emplace_back();
            config.buses.back().path = args[++i];
            config.buses.back().bench = true;
        } else if (arg == "--hold" || arg == "--pause" || arg == "--gap") {
            long ms = 0;
            if (!hasValue || !ToInt(args[i + 1], 0, 3600000, &ms))
                return arg + " needs a time in ms";
            (arg == "--hold"    ? timing.holdMs
             : arg == "--pause" ? timing.pauseMs
                                : timing.gapMs) = static_cast<int>(ms);
            ++i;
        } else if (arg == "--bus") {
            if (!hasValue || args[i + 1].empty()) return std::string("--bus needs a path");
            config.buses.emplace_back();
            config.buses.back().path = args[++i];
        } else if (arg == "--tap") {
            if (!hasValue || args[i + 1].empty()) return std::string("--tap needs a path");
            if (config.buses.empty()) return std::string("--tap must follow a bus");
            if (!config.buses.back().tapPath.empty())
                return "bus " + config.buses.back().path + " has two --tap";
            config.buses.back().tapPath = args[++i];
        } else if (arg == "--tcp" || arg == "--modbus-tcp") {
            long port = 0;
            if (!hasValue || !ToInt(args[i + 1], 0, 65535, &port))
                return arg + " needs a port 0..65535";
            if (config.buses.empty()) return arg + " must follow a bus";
            int& chosen =
                arg == "--tcp" ? config.buses.back().rawTcpPort : config.buses.back().modbusTcpPort;
            if (chosen >= 0) return "bus " + config.buses.back().path + " has two " + arg;
            chosen = static_cast<int>(port);
            ++i;
        } else if (arg == "--module") {
            if (!hasValue) return std::string("--module needs a module spec");
            if (config.buses.empty() || manyAt.count(config.buses.size() - 1))
                return std::string("--module must follow a --bus or --bench");
            auto module = ParseModuleSpec(args[++i]);
            if (auto* error = std::get_if<std::string>(&module)) return *error;
            config.buses.back().modules.push_back(std::get<ModuleConfig>(module));
        } else {
            return "unknown argument '" + arg + "'";
        }
    }
    for (BusConfig& bus : config.buses) bus.timing = timing;
    if (config.help) return config;
    if (config.buses.empty())
        return std::string("no bus given (--bus PATH --module SPEC, or --demo DIR)");
    for (size_t a = 0; a < config.buses.size(); ++a) {
        if (config.buses[a].modules.empty())
            return "bus " + config.buses[a].path + " has no --module";
        for (size_t b = a + 1; b < config.buses.size(); ++b)
            if (config.buses[a].path == config.buses[b].path)
                return "bus " + config.buses[a].path + " is given twice";
    }
    // Every pty link and every fixed port once: a clash would only show as a failure to start.
    std::set<std::string> paths;
    std::set<int> ports;
    for (const BusConfig& bus : config.buses) {
        for (const std::string& path : {bus.path, bus.tapPath})
            if (!path.empty() && !paths.insert(path).second)
                return "path " + path + " is given twice";
        for (int port : {bus.rawTcpPort, bus.modbusTcpPort})
            if (port > 0 && !ports.insert(port).second)
                return "port " + std::to_string(port) + " is given twice";
    }
    return config;
}
