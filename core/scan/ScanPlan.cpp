#include "core/scan/ScanPlan.h"

#include <cmath>

namespace ScanTiming {
namespace {
constexpr int kRequestBytes = 8;  // address, 03, start, count, CRC
constexpr int kReplyBytes = 11;   // address, 03, 6, three words, CRC
// A module's turn-round and a USB adapter's latency timer (16 ms on the common chips).
constexpr int kMarginMs = 20;
}  // namespace

double WireMs(int bytes, const SerialCandidate& settings) {
    const int bits = settings.parity == 'N' ? 10 : 11;
    return settings.baud > 0 ? bytes * bits * 1000.0 / settings.baud : 0;
}

int DefaultReplyWaitMs(const SerialCandidate& settings) {
    return static_cast<int>(
               std::ceil(WireMs(kRequestBytes, settings) + WireMs(kReplyBytes, settings))) +
           kMarginMs;
}
}  // namespace ScanTiming

ScanPlan::ScanPlan(int first, int last, std::vector<SerialCandidate> settings, int replyWaitMs)
    : first_(first),
      last_(last),
      settings_(std::move(settings)),
      replyWaitMs_(replyWaitMs),
      broadcastFirst_(settings_.size() > 1) {
    address_ = broadcastFirst_ ? 0 : first_;
    for (int c = 0; c < static_cast<int>(settings_.size()); ++c)
        plannedMs_ += SweepMs(c) + (broadcastFirst_ ? ProbeMs(c) : 0);
    if (last_ < first_) candidate_ = static_cast<int>(settings_.size());
}

double ScanPlan::ProbeMs(int candidate) const {
    const SerialCandidate& s = settings_[candidate];
    return ScanTiming::WireMs(8, s) +
           (replyWaitMs_ > 0 ? replyWaitMs_ : ScanTiming::DefaultReplyWaitMs(s));
}

double ScanPlan::SweepMs(int candidate) const {
    return ProbeMs(candidate) * (last_ - first_ + 1);
}

ScanProbe ScanPlan::Current() const {
    const SerialCandidate& s = settings_.at(candidate_);
    return {address_, s, replyWaitMs_ > 0 ? replyWaitMs_ : ScanTiming::DefaultReplyWaitMs(s)};
}

bool ScanPlan::ProbedBefore(int address) const {
    return !Done() && address_ != 0 && address >= first_ && address < address_;
}

void ScanPlan::Advance(bool answered) {
    if (Done()) return;
    ++probes_;
    doneMs_ += ProbeMs(candidate_);
    sentMs_ += ProbeMs(candidate_);
    if (address_ == 0 && !answered) {
        // Not a byte back from any module at these settings: none of its addresses can answer.
        doneMs_ += SweepMs(candidate_);
        address_ = last_ + 1;
    } else {
        address_ = address_ == 0 ? first_ : address_ + 1;
    }
    if (address_ > last_) {
        ++candidate_;
        address_ = broadcastFirst_ ? 0 : first_;
    }
}
