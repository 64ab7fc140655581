#pragma once
// The POSIX backends' waits and results: poll(2) on a non-blocking descriptor, and read(2) or
// write(2) results as a line's outcomes.
#include <sys/types.h>

#include "core/line/LineBackend.h"

namespace PollWaits {
LineWait Readable(int fd, int timeoutMs);
void Writable(int fd, int timeoutMs);
// A read's or write's result; errno tells a failure from "nothing now".
LineIo Outcome(ssize_t result);
}  // namespace PollWaits
