#pragma once
// One listen-only session: a line of its own opened so that nothing can be written, its bytes
// taken as they come into a bus listener, and the listener told of silences by a timer. The
// line, the log and the module tally are the session's own: the work windows' port and the
// program's own traffic log are not touched.
#include <QObject>
#include <QTimer>
#include <memory>

#include "core/line/Line.h"
#include "core/listen/BusListener.h"

class ListenSession : public QObject {
    Q_OBJECT
  public:
    explicit ListenSession(QObject* parent = nullptr);
    ~ListenSession() override;

    // Opens `line` at `settings` to listen (a failure has been shown, as for any open).
    bool Start(const QString& line, const QString& settings, double tolerance,
               const ListenLimits& limits);
    void Stop();
    bool Active() const { return listener_ != nullptr; }

    TrafficLog& Log() { return log_; }
    // The session's own line: open (listening) while active.
    const Line& Listened() const { return line_; }
    ModuleStats& Stats() { return stats_; }
    // The listener while active, else null.
    BusListener* Listener() { return listener_.get(); }
    void SetTolerance(double tolerance);
    void SetLimits(const ListenLimits& limits);
    // Empties the log and the tally.
    void Clear();

    static constexpr int kIdleMs = 20;
    // The silence tolerance offered first: USB adapters often deliver a frame in two bursts.
    static constexpr double kDefaultTolerance = 1.5;

  signals:
    void StatsChanged();
    void ActiveChanged(bool active);

  private:
    void Idle();

    Line line_;
    TrafficLog log_;
    ModuleStats stats_;
    std::unique_ptr<BusListener> listener_;
    QTimer idle_;
    double tolerance_ = 1.0;
    ListenLimits limits_;
};
