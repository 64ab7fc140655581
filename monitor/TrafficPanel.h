#pragma once
// A traffic log as the monitor shows it: the filter, pause, clear, copy, save and record controls,
// the table, its summary and a note. The traffic monitor shows the program's own log in one; the
// listen-only window shows what it heard in another.
#include <QWidget>

#include "core/record/RotatingCsv.h"
#include "widgets/TextLine.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class TrafficLog;
class TrafficModel;

class TrafficPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TrafficPanel(TrafficLog& log, QWidget* parent = nullptr);

    TrafficLog& Log() const { return log_; }
    TrafficModel* Model() const { return model_; }
    QTableView* Table() const { return table_; }
    // The width that shows every column whole.
    int WholeWidth() const { return wholeWidth_; }
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
    void ShowSummary();
    void SaveClicked();
    // Asks where to record; a cancelled question starts nothing.
    void AskAndRecord();
    void ShowRecording(bool recording);
    void ShowRecordingFailure(const QString& message);
    void FollowBottom();

    TrafficLog& log_;
    TrafficModel* model_;
    QTableView* table_;
    int wholeWidth_ = 0;
    bool atBottom_ = true;
    QString lastRecordPath_;
};
