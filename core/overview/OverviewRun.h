#pragma once
// The lines of a line file polled at once, each by its own worker in a thread of its own, so a
// slow or dead line never slows another. What the workers find reaches the owner's thread as
// signals. A line can be stopped and started on its own (to lend it to a work window): it goes
// on with its counts and alarms.
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "core/overview/LineFile.h"
#include "core/overview/LineWorker.h"

class OverviewRun : public QObject {
    Q_OBJECT
  public:
    explicit OverviewRun(const LineFile& file, QObject* parent = nullptr);
    ~OverviewRun() override;

    const LineFile& File() const { return file_; }
    int LineCount() const { return static_cast<int>(lines_.size()); }

    // Starts every line that is enabled.
    void Start();
    // Stops every line; returns once each has let go of its device.
    void Stop();
    void StartLine(int line);
    void StopLine(int line);
    bool Running(int line) const;
    bool AnyRunning() const;
    void ResetCounts();

  signals:
    void Reported(const ModuleReport& report);
    // The line's worker ended by itself: its line would not open or failed (`why`).
    void LineFailed(int line, const QString& why);

  private:
    struct Running_ {
        std::unique_ptr<LineWorker> worker;
        std::atomic<bool> stop{false};
        std::unique_ptr<QThread> thread;  // a QThread, so the line's notifier may live in it
        bool running = false;
    };
    LineFile file_;
    std::vector<std::unique_ptr<Running_>> lines_;
};
