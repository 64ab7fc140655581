#pragma once
// A window timer that is either enabled or not. Enabling an enabled timer keeps its running count,
// and an interval of 0 leaves it enabled but never firing, so a missing tm.rc value cannot turn
// into a busy loop.
#include <QTimer>

class VbTimer : public QTimer {
    Q_OBJECT
  public:
    VbTimer(const QString& name, QObject* parent);
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(int milliseconds);

  private:
    bool enabled_ = false;
};
