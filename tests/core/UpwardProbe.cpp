// Must not compile against the line's room: the scan stands on the line, never the other way.
#include "core/scan/BusScan.h"

int ProbesOfTheLine() {
    return BusScan::kReplyBytes;
}
