#pragma once
// What one poll reads of a model: its measurements (loop A) and its digital inputs (loop B where
// its window has both, else loop A), and the channels they make, named as its window names them.
#include <QString>
#include <optional>
#include <vector>

#include "core/modules/AnalogCodec.h"
#include "core/record/TrendChannel.h"

struct PollPlan {
    std::optional<AnalogCodec::InputChannels> analog;
    int digitalInputs = 0;
    std::vector<TrendChannel> channels;  // the measurements, then the inputs

    // None for a model without inputs, or no model at all.
    static std::optional<PollPlan> Of(const QString& model);

    // The requests one poll makes of the module at `address`, in order: the measurements, then
    // the inputs.
    struct Request {
        Frame frame;
        int replyBytes = 0;
    };
    std::vector<Request> Requests(uint8_t address) const;
    // What an accepted reply to request `index` reads, as the window shows it: the measurements,
    // or each input as 0 or 1.
    std::vector<AnalogCodec::Reading> ReadingsOf(size_t index, const QString& receivedText) const;
};
