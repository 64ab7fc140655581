#include "workwindow/VbTimer.h"

VbTimer::VbTimer(const QString& name, QObject* parent) : QTimer(parent) {
    setObjectName(name);
    setSingleShot(false);
}

void VbTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled && interval() > 0)
        start();
    else
        stop();
}

void VbTimer::SetInterval(int milliseconds) {
    setInterval(qMax(0, milliseconds));
    if (enabled_ && milliseconds > 0)
        start();
    else
        stop();
}
