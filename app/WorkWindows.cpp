#include "app/WorkWindows.h"

// One line per window: key and how to make it.
const std::map<QString, WorkWindowFactory>& WorkWindowFactories() {
    static const std::map<QString, WorkWindowFactory> factories = {
    };
    return factories;
}
