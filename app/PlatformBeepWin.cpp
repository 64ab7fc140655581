// The beep on Windows: the system's own sound, as the desktop plays it.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include "app/DesktopPlatform.h"

void PlayTone(int, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    QApplication::beep();
    // The beep always takes its full length, as on every system.
    const qint64 left = milliseconds - clock.elapsed();
    if (left > 0) QThread::msleep(static_cast<unsigned long>(left));
}
