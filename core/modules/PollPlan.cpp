#include "core/modules/PollPlan.h"

#include "core/modules/DigitalCodec.h"

std::optional<PollPlan> PollPlan::Of(const QString& model) {
    PollPlan plan;
    plan.analog = AnalogCodec::InputChannelsOf(model);
    plan.digitalInputs = DigitalCodec::InputCountOf(model.toStdString());
    if (!plan.analog && plan.digitalInputs == 0) return std::nullopt;
    if (plan.analog)
        for (const QString& name : plan.analog->names)
            plan.channels.push_back({name, AnalogCodec::UnitOf(plan.analog->reading),
                                     AnalogCodec::DecimalsOf(plan.analog->reading), false});
    for (int i = 1; i <= plan.digitalInputs; ++i)
        plan.channels.push_back(
            {QStringLiteral("DI_%1").arg(i, 2, 10, QLatin1Char('0')), QString(), 0, true});
    return plan;
}

std::vector<PollPlan::Request> PollPlan::Requests(uint8_t address) const {
    std::vector<Request> requests;
    if (analog) {
        const int count = static_cast<int>(analog->names.size());
        requests.push_back(
            {AnalogCodec::PollRequest(address, count), AnalogCodec::PollReplyBytes(count)});
    }
    if (digitalInputs > 0)
        requests.push_back({DigitalCodec::InputPollRequest(address, digitalInputs),
                            DigitalCodec::InputReplyBytes(digitalInputs)});
    return requests;
}

std::vector<AnalogCodec::Reading> PollPlan::ReadingsOf(size_t index,
                                                       const QString& receivedText) const {
    std::vector<AnalogCodec::Reading> readings;
    if (index == 0 && analog) {
        const int count = static_cast<int>(analog->names.size());
        for (const auto& reading :
             AnalogCodec::ReadingsOfReply(analog->reading, receivedText, count))
            readings.push_back(reading.reading);
        return readings;
    }
    for (bool on : DigitalCodec::InputStatesOfReply(receivedText, digitalInputs))
        readings.push_back({on ? 1.0 : 0.0, QString::number(on ? 1 : 0)});
    return readings;
}
