#include "core/listen/ModuleStats.h"

#include <algorithm>

#include "core/listen/ListenTexts.h"
#include "core/modules/ModuleParameters.h"
#include "core/traffic/TrafficTexts.h"

ModuleTally& ModuleStats::At(int address) {
    auto at = std::lower_bound(modules_.begin(), modules_.end(), address,
                               [](const ModuleTally& m, int a) { return m.address < a; });
    if (at == modules_.end() || at->address != address) {
        ModuleTally added;
        added.address = address;
        at = modules_.insert(at, added);
    }
    return *at;
}

const ModuleTally* ModuleStats::Find(int address) const {
    for (const ModuleTally& module : modules_)
        if (module.address == address) return &module;
    return nullptr;
}

void ModuleStats::NoteRequest(int address, int msOfDay) {
    ModuleTally& module = At(address);
    ++module.requests;
    module.lastSeenMsOfDay = msOfDay;
}

void ModuleStats::NoteOutcome(int address, TrafficVerdict verdict, int responseMs, int msOfDay) {
    ModuleTally& module = At(address);
    if (verdict == TrafficVerdict::NoReply) {
        ++module.noReplies;
        return;
    }
    ++module.replies;
    module.lastSeenMsOfDay = msOfDay;
    switch (verdict) {
        case TrafficVerdict::Accepted:
            break;
        case TrafficVerdict::Exception:
            ++module.exceptions;
            break;
        case TrafficVerdict::BadCrc:
            ++module.badCrcs;
            break;
        default:
            ++module.otherFaults;
            break;
    }
    if (responseMs < 0) return;
    module.minMs = module.responses == 0 ? responseMs : std::min(module.minMs, responseMs);
    module.maxMs = std::max(module.maxMs, responseMs);
    module.totalMs += responseMs;
    ++module.responses;
}

void ModuleStats::NoteModelCode(int address, int modelCode) {
    At(address).modelCode = modelCode;
}

QStringList ModuleStats::Columns(bool english) {
    QStringList names;
    for (int column = ListenTexts::ColAddress; column <= ListenTexts::ColLastSeen; ++column)
        names << ListenTexts::Text(static_cast<ListenTexts::Key>(column), english);
    return names;
}

QStringList ModuleStats::Cells(const ModuleTally& module, [[maybe_unused]] bool english) {
    QString model = ModuleParametersText::ModelOfCode(module.modelCode);
    if (model.isEmpty() && module.modelCode != 0) model = QString::number(module.modelCode);
    const auto ms = [&](int value) {
        return module.responses ? QString::number(value) : QStringLiteral("-");
    };
    return {
        QString::number(module.address),
        model,
        QString::number(module.requests),
        QString::number(module.replies),
        QString::number(module.exceptions),
        QString::number(module.noReplies),
        QString::number(module.badCrcs),
        QString::number(module.otherFaults),
        ms(module.minMs),
        ms(module.MeanMs()),
        ms(module.maxMs),
        module.lastSeenMsOfDay < 0 ? QString() : TrafficTexts::TimeOfDay(module.lastSeenMsOfDay)};
}
