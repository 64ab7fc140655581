#pragma once
// The broker last chosen in the overview's dialog, kept in sys/publish.rc (one line each: URL,
// prefix, client id, password file, CA file, discovery 0 or 1, discovery prefix). A missing file
// or line reads as the defaults.
#include "core/publish/BrokerSettings.h"

namespace PublishChoiceFile {
QString Path();
PublishChoice Read();
// False when sys/ cannot take it.
bool Save(const PublishChoice& choice);
}  // namespace PublishChoiceFile
