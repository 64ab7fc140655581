#pragma once
// Waits for an event rather than for a time: turns the event loop until `done`, false when it
// never was within `timeoutMs` (a bound for a machine under load, never the expected wait).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

inline bool TurnUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}
