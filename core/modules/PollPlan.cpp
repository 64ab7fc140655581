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
