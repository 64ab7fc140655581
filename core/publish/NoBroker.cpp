// A build without libmosquitto: the watcher and the window say so instead of publishing.
#include "core/publish/BrokerFactory.h"

#include "core/publish/PublishTexts.h"

std::unique_ptr<Broker> MakeBroker(const BrokerSettings&, bool english, QString* error) {
    *error = PublishTexts::Text(PublishTexts::NotBuiltIn, english);
    return nullptr;
}
