#pragma once
// The search for a module's line settings: each candidate baud rate and parity in turn, a
// broadcast read of registers 100..102 at each, until the module answers or every candidate was
// tried. The parameter window paces the steps with its timers; a headless program runs them here.
#include <QString>
#include <functional>
#include <optional>

#include "core/protocol/Modbus.h"
#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"

class Line;

class ParameterSearch {
  public:
    static constexpr int kReplyBytes = 11;  // address, 03, 6, three words, CRC

    explicit ParameterSearch(bool fullLists) : fullLists_(fullLists) {}

    int Count() const { return ParameterCodes::CandidateCount(fullLists_); }
    SerialCandidate Candidate(int step) const {
        return ParameterCodes::SearchCandidate(step, fullLists_);
    }
    // The settings string a candidate opens the port with ("9600,N,8,1").
    static QString SettingsOf(const SerialCandidate& candidate);
    // 00 03 00 64 00 03: the broadcast read every step sends.
    static Frame Request();

    // What a headless search found: the module's registers and the settings it answered at.
    struct Found {
        ModuleParameters parameters;
        SerialCandidate settings;
        int step = 0;  // candidates sent, this one included
    };
    // Opens `port` at each candidate from `firstStep` on, sends the read and waits up to
    // `replyWaitMs` for the reply; ends at the first accepted one, or with nothing after the
    // last candidate or when the port will not open (its message shown). `onStep` hears each
    // candidate before it is tried.
    std::optional<Found> Run(Line& line, const QString& port, int replyWaitMs, int firstStep = 0,
                             const std::function<void(int, const SerialCandidate&)>& onStep = {});
    // The same on the process's port.
    std::optional<Found> Run(const QString& port, int replyWaitMs, int firstStep = 0,
                             const std::function<void(int, const SerialCandidate&)>& onStep = {});

  private:
    bool fullLists_;
};
