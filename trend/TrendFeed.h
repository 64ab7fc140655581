#pragma once
// The trend of one input panel: the readings it shows, kept in a ring for the chart and, while
// the user records, written to a CSV file as they come. The panel hands over each accepted
// reading (one value per channel, NaN where it shows "No Sensor") and each rejected reply (a gap);
// it places Controls() (the Trend button and the Record toggle) beside its Read button and
// NoteLabel (where the recording goes, or why it ended) in a line of its own. A recording that
// cannot be written ends with one note there, never a message box.
#include <QGroupBox>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "core/record/RotatingCsv.h"
#include "core/record/TrendChannel.h"
#include "core/record/TrendRing.h"

class QLabel;
class QPushButton;
class TrendWindow;
class WorkWindow;

class TrendFeed : public QObject {
    Q_OBJECT
  public:
    // Over an hour of readings at a 100 ms poll.
    static constexpr int kCapacity = 40000;

    TrendFeed(WorkWindow* window, QGroupBox* panel, std::vector<TrendChannel> channels);
    // The trend of readings that come from elsewhere (a module of a line overview), named
    // `title`, owned by `window`; its controls are the owner's to place, or to hide.
    TrendFeed(QWidget* window, const QString& title, std::vector<TrendChannel> channels);
    ~TrendFeed() override;

    const std::vector<TrendChannel>& Channels() const { return channels_; }
    const TrendRing& Ring() const { return ring_; }
    // "ZN410 Analog Input": the window and the panel the readings come from.
    QString Title() const;

    QWidget* Controls() const { return controls_; }
    QPushButton* TrendButton;
    QPushButton* RecordButton;
    QLabel* NoteLabel;
    // Captions in the language in use (the panel's load step).
    void Load();

    // An accepted reading, as the panel shows it.
    void Add(const std::vector<double>& values);
    // A reply that was rejected: every line breaks, nothing is recorded.
    void AddGap();

    // Starts writing readings to `path` (its header at once), the next file started as `rotation`
    // says; false with the reason.
    bool StartRecording(const QString& path, QString* error = nullptr,
                        const CsvRotation& rotation = CsvRotation::Never());
    void StopRecording();
    bool Recording() const { return file_.IsOpen(); }
    QString RecordingPath() const { return file_.Path(); }

    // The chart, made at the first call; ShowTrend shows it raised (the Trend button). A build
    // made without Qt Charts has no Chart(): ShowTrend says so, and ExistingChart is null.
    TrendWindow* Chart();
    TrendWindow* ExistingChart() const;
    void ShowTrend();

    // Milliseconds since the epoch: the clock readings are stamped with. Tests and the benchmark
    // step it; an empty function restores the system clock.
    int64_t Now() const { return clock_(); }
    void SetClock(std::function<int64_t()> clock);

  signals:
    void Added();
    void RecordingChanged(bool recording);
    void RecordingFailed(const QString& message);

  private:
    // Asks where to record; a cancelled question starts nothing.
    void AskAndRecord();
    void ShowRecording();
    void ShowFailure(const QString& message);
    void HideChart();
    void RetranslateChart();

    QWidget* window_;
    QGroupBox* panel_ = nullptr;
    QString title_;
    std::vector<TrendChannel> channels_;
    TrendRing ring_;
    std::function<int64_t()> clock_;
    RotatingCsv file_;
    QWidget* controls_;
    QPointer<TrendWindow> chart_;
};
