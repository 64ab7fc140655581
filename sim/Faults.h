#pragma once
// Faults a module can be told to make in its replies, as seen on real lines: no answer, a late
// one, a truncated one, a stray leading byte, noise, a broken CRC or an exception.
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/protocol/Modbus.h"

enum class FaultKind { Silence, Late, Short, Lead, Garbage, BadCrc, Exception };

struct FaultRule {
    FaultKind kind = FaultKind::Silence;
    int every = 1;              // on every N-th reply (when no probability is given)
    double probability = -1;    // 0..1: on each reply with this chance instead
    int lateMs = 500;           // Late: added delay
    uint8_t exceptionCode = 4;  // Exception: the code sent
};

// "late:every=3:ms=800", "garbage:prob=0.1", "exception:code=2": a rule, or an error text.
std::optional<FaultRule> ParseFaultRule(const std::string& text, std::string* error);
std::string FaultName(FaultKind kind);

struct FaultedReply {
    Frame bytes;  // what goes on the line (empty when silent)
    bool silent = false;
    int extraDelayMs = 0;
    std::string fault;  // the name of the fault made, empty when none
};

class FaultInjector {
  public:
    FaultInjector(std::vector<FaultRule> rules, uint32_t seed);
    // Counts one reply and applies the first rule that is due, else passes the reply unchanged.
    FaultedReply Apply(const Frame& reply);
    bool Empty() const { return rules_.empty(); }

  private:
    std::vector<FaultRule> rules_;
    long count_ = 0;
    std::mt19937 random_;
};
