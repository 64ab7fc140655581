#pragma once
// A bus of modules sharing one line: who hears a request at the program's line settings, who
// answers, what reaches the program when several answer at once, and when the reply is complete.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Faults.h"
#include "sim/SimModule.h"

struct ModuleConfig {
    const ModelInfo* model = nullptr;
    int address = 1;
    int code = 103;  // 9600, no parity
    std::vector<FaultRule> faults;
    ParameterWrites writes = ParameterWrites::Takes;
    int takeMs = 0;                     // address and line changes taken this much later
    std::optional<ModuleLine> talksAt;  // talks here, not where its code says
};

// A bench: the modules are connected one at a time, in order. One that has been written goes
// `holdMs` after the last write it took; one never written goes `pauseMs` after the program first
// reached it (it waits as long as nobody talks to it at its settings); the next comes `gapMs`
// after.
struct BenchTiming {
    int holdMs = 1500;
    int pauseMs = 5000;
    int gapMs = 1000;
};

// What the program's end of the line is set to (the pty shows the speed and odd parity only).
struct LineState {
    int baud = 0;
    bool oddParity = false;
    // A serial device server's or gateway's line, taken as set right for whichever module a
    // request is for: every module hears it.
    bool anySettings = false;
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

    // `seconds` drives the measurements; `wallSeconds` (when given) the bench and late changes,
    // which must go on while measurements are frozen.
    BusExchange Exchange(const Frame& request, LineState line, double seconds,
                         double wallSeconds = -1);
    // Makes the bus a bench; the first module is on it from 0 s.
    void MakeBench(const BenchTiming& timing);
    // The module on the bench (-1 when none); every module of a bus that is no bench is on.
    int OnBench() const { return bench_ ? (on_ ? index_ : -1) : -2; }

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
    // Who is on the bench at `wall`; what changed goes to `notes`.
    void AdvanceBench(double wall, std::vector<std::string>* notes);
    bool bench_ = false;
    BenchTiming timing_;
    int index_ = 0;        // the module on the bench, or the last one that was
    bool on_ = true;       // ... and whether it still is
    double since_ = 0;     // when it came (wall seconds)
    double written_ = -1;  // when it last took a write, -1 never
    double reached_ = -1;  // when a request first reached it, -1 not yet
};

// Replies started together by several modules, as a receiver hears them: each module drives the
// line a few bit times after the previous one, the line carries the AND of the drivers (idle and
// stop bits high), and a UART frames characters from each start bit it sees.
Frame Collide(const std::vector<Frame>& replies, char parity);

// A module's name on the bus for messages: "ZN210@1".
std::string ModuleLabel(const SimModule& module);
