#pragma once
// The broker this build talks to: libmosquitto where the build has it.
#include <QString>
#include <memory>

#include "core/publish/Broker.h"
#include "core/publish/BrokerSettings.h"

// Nothing, with why, when this build cannot publish.
std::unique_ptr<Broker> MakeBroker(const BrokerSettings& settings, bool english, QString* error);
