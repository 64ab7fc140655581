#include "core/publish/BrokerFactory.h"
#include "core/publish/MosquittoBroker.h"

std::unique_ptr<Broker> MakeBroker(const BrokerSettings& settings, bool, QString*) {
    return std::make_unique<MosquittoBroker>(settings);
}
