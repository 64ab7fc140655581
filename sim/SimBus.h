#pragma once
// A bus of modules sharing one line: who hears a request at the program's line settings, who
// answers, what reaches the program when several answer at once, and when the reply is complete.
#include <memory>
#include <string>
#include <vector>

#include "sim/Faults.h"
#include "sim/SimModule.h"

struct ModuleConfig {
    const ModelInfo* model = nullptr;
    int address = 1;
    int code = 103;  // 9600, no parity
    std::vector<FaultRule> faults;
};

// What the program's end of the line is set to (the pty shows the speed and odd parity only).
struct LineState {
    int baud = 0;
    bool oddParity = false;
};

struct Transmission {
    Frame bytes;
    double delayMs = 0;  // from the request's first byte to the reply's last
};

struct BusExchange {
    // The replies on time, collided into one when several modules answer, then each late one.
    std::vector<Transmission> replies;
    std::vector<std::string> notes;
    bool Answered() const { return !replies.empty(); }
};

class SimBus {
  public:
    SimBus(const std::vector<ModuleConfig>& modules, uint32_t seed);

    BusExchange Exchange(const Frame& request, LineState line, double seconds);

    int Size() const { return static_cast<int>(modules_.size()); }
    SimModule& Module(int index) { return modules_[index].module; }

    // Time the module takes between the request's end and its first reply byte.
    static constexpr double kTurnaroundMs = 2.0;

  private:
    struct Member {
        SimModule module;
        FaultInjector faults;
    };
    std::vector<Member> modules_;
};

// Replies started together by several modules, as a receiver hears them: each module drives the
// line a few bit times after the previous one, the line carries the AND of the drivers (idle and
// stop bits high), and a UART frames characters from each start bit it sees.
Frame Collide(const std::vector<Frame>& replies, char parity);

// A module's name on the bus for messages: "ZN210@1".
std::string ModuleLabel(const SimModule& module);
