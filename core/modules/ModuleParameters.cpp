#include "core/modules/ModuleParameters.h"

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/protocol/Modbus.h"
#include "core/modules/ParameterCodes.h"

namespace ModuleParametersText {
QString ModelOfCode(int code) {
    // Each model reports its own number: ZN260 answers 260.
    const QString name = QStringLiteral("ZN%1").arg(code);
    return ModelNames().contains(name) ? name : QString();
}

ModuleParameters Decode(const QString& receivedText) {
    return {RegisterOfReply(receivedText, 0), RegisterOfReply(receivedText, 1),
            RegisterOfReply(receivedText, 2)};
}

QString Lines(const ModuleParameters& parameters) {
    return Tt(TextKey::PrefixAddress) + QString::number(parameters.address) + "\r\n" +
           Tt(TextKey::PrefixParameters) + ParameterCodes::EntryOfCode(parameters.parameterCode) +
           "\r\n" + Tt(TextKey::PrefixModel) + ModelOfCode(parameters.modelCode);
}
}  // namespace ModuleParametersText
