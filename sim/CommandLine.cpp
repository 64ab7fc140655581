#include "sim/CommandLine.h"

#include <cctype>
#include <cstdlib>
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

Plays buses of ZN modules on pseudo-terminals. Each --bus makes a line whose device is linked at
PATH (for example sys/COM1, which the program opens as port COM1); the --module options after it
put modules on that line. The links are removed when znsim ends (Ctrl-C, SIGTERM).

Module SPEC: MODEL[,addr=N][,baud=B][,parity=P][,code=C][,fault=F]...
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

Options:
  --demo DIR   DIR/COM1 .. DIR/COM15 (DIR made if missing), one module each at address 1,
               9600 baud, no parity: ZN210 on COM1, ZN220 on COM2, ... ZN430 on COM15
  --verbose    print every request and reply as hex with a time stamp
  --freeze S   hold measurements and inputs where they are S seconds after the start
  --seed N     seed of the fault probabilities (default 1)
  --help       this text

Example:
  znsim --verbose --bus sys/COM1 --module ZN210,addr=1 --module ZN330,addr=2,fault=late:every=3
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
        buses.push_back({dir + "/COM" + std::to_string(port++), {module}});
    }
    return buses;
}

std::variant<SimConfig, std::string> ParseCommandLine(const std::vector<std::string>& args) {
    SimConfig config;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            config.help = true;
        } else if (arg == "--verbose" || arg == "-v") {
            config.verbose = true;
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
        } else if (arg == "--bus") {
            if (!hasValue || args[i + 1].empty()) return std::string("--bus needs a path");
            config.buses.push_back({args[++i], {}});
        } else if (arg == "--module") {
            if (!hasValue) return std::string("--module needs a module spec");
            if (config.buses.empty()) return std::string("--module must follow a --bus");
            auto module = ParseModuleSpec(args[++i]);
            if (auto* error = std::get_if<std::string>(&module)) return *error;
            config.buses.back().modules.push_back(std::get<ModuleConfig>(module));
        } else {
            return "unknown argument '" + arg + "'";
        }
    }
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
    return config;
}
