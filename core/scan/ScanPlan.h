#pragma once
// The order of a bus scan: which address is tried at which line settings next, which settings
// can be skipped, and how much of the scan's waiting is done. No I/O here.
#include <vector>

#include "core/modules/ParameterCodes.h"

namespace ScanTiming {
// Milliseconds `bytes` characters take on the wire at these settings (start, 8 data, parity
// when used, stop).
double WireMs(int bytes, const SerialCandidate& settings);
// The smallest reply wait a module at these settings can meet with margin: the 8-byte request
// and the 11-byte reply on the wire, plus room for the module's turn-round and a USB adapter's
// latency timer.
int DefaultReplyWaitMs(const SerialCandidate& settings);
}  // namespace ScanTiming

struct ScanProbe {
    int address = 0;  // 0: the broadcast read that tells whether anything answers at these settings
    SerialCandidate settings;
    int replyWaitMs = 0;
};

class ScanPlan {
  public:
    static constexpr int kLowest = 1;
    static constexpr int kHighest = 247;

    // Addresses first..last at each of `settings` in turn. With more than one settings entry each
    // is first tried with a broadcast read, and its addresses are skipped when nothing answers
    // it. `replyWaitMs` 0 takes each settings' default wait.
    ScanPlan(int first, int last, std::vector<SerialCandidate> settings, int replyWaitMs);

    bool Done() const { return candidate_ >= static_cast<int>(settings_.size()); }
    ScanProbe Current() const;
    // Whether `address` was probed already at the current probe's settings: a reply from it now
    // is that module's late answer.
    bool ProbedBefore(int address) const;
    // The current probe has been judged: `answered` when any byte came back.
    void Advance(bool answered);

    // Waiting planned in all and done so far (skipped sweeps count as done), for the progress bar
    // and the time left.
    double PlannedMs() const { return plannedMs_; }
    double DoneMs() const { return doneMs_; }
    // The part of DoneMs that was sent rather than skipped: the measure of the pace.
    double SentMs() const { return sentMs_; }
    int ProbesSent() const { return probes_; }

  private:
    double SweepMs(int candidate) const;
    double ProbeMs(int candidate) const;

    int first_;
    int last_;
    std::vector<SerialCandidate> settings_;
    int replyWaitMs_;
    bool broadcastFirst_;
    int candidate_ = 0;
    int address_ = 0;  // 0 while the broadcast probe of the candidate is due
    double plannedMs_ = 0;
    double doneMs_ = 0;
    double sentMs_ = 0;
    int probes_ = 0;
};
