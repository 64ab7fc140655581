#pragma once
// The traffic monitor: one window for the whole program, showing the log of the work window in
// use. Opening or closing it never touches the exchange; a recording goes on without it.
#include <QWidget>

#include "link/RotatingCsv.h"
#include "widgets/TextLine.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class TrafficModel;

class TrafficMonitor : public QWidget {
    Q_OBJECT
  public:
    // Shows the one monitor (made at the first call), raised.
    static TrafficMonitor* Open();
    // The monitor when it has been made, else null.
    static TrafficMonitor* Existing();

    explicit TrafficMonitor(QWidget* parent = nullptr);

    TrafficModel* Model() const { return model_; }
    QTableView* Table() const { return table_; }
    QCheckBox* FaultsOnly;
    QPushButton* PauseButton;
    QPushButton* ClearButton;
    QPushButton* CopyButton;
    QPushButton* SaveButton;
    QPushButton* RecordButton;
    TextLine* SummaryLabel;
    QLabel* NoteLabel;

    // The selected rows as tab-separated lines, also put on the clipboard.
    QString CopySelection();
    // Saves what the view shows; the note says how it went.
    bool SaveTo(const QString& path);
    // Starts (or, with an empty path, stops) the recording; the note says how it went.
    void RecordTo(const QString& path, const CsvRotation& rotation = CsvRotation::Never());

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Retitle();
    void ShowSummary();
    void SaveClicked();
    // Asks where to record; a cancelled question starts nothing.
    void AskAndRecord();
    void ShowRecording(bool recording);
    void ShowRecordingFailure(const QString& message);
    void FollowBottom();

    TrafficModel* model_;
    QTableView* table_;
    bool atBottom_ = true;
    QString lastRecordPath_;
};
