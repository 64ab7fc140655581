#pragma once
// The line overview: every module of one or more lines polled at once, each line by its own
// worker, one row per module updated as its replies come, and the alarms beneath. Opens, edits
// and saves line files, records every reading and every alarm, draws a module's trend, and lends
// a module's line to its test window for as long as that is open. Thin over core/overview.
#include <QWidget>
#include <map>
#include <memory>
#include <set>

#include "core/overview/OverviewBoard.h"
#include "core/overview/OverviewRun.h"
#include "core/publish/Broker.h"
#include "core/publish/WatchPublisher.h"
#include "core/record/RotatingCsv.h"
#include "workwindow/WorkTarget.h"

class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class OverviewModel;
class TrendFeed;

class LineOverviewWindow : public QWidget {
    Q_OBJECT
  public:
    // Shows the one overview window (made at the first call, with the working folder's
    // lines.json when there is one), raised.
    static LineOverviewWindow* Open();

    explicit LineOverviewWindow(QWidget* parent = nullptr);
    ~LineOverviewWindow() override;

    QPushButton* Command_Open;
    QPushButton* Command_Save;
    QPushButton* Command_AddLine;
    QPushButton* Command_EditLine;
    QPushButton* Command_RemoveLine;
    QPushButton* Command_AddModule;
    QPushButton* Command_EditModule;
    QPushButton* Command_RemoveModule;
    QPushButton* Command_FromScan;
    QPushButton* Command_Start;
    QPushButton* Command_ResetCounts;
    QPushButton* Command_Record;
    QPushButton* Command_Trend;
    QPushButton* Command_Publish;
    QLabel* Label_State;
    QLabel* Label_Publish;
    QTableView* Table_Modules;
    QTableWidget* Table_Alarms;

    // Reads a line file; a refused one is said and changes nothing.
    bool Load(const QString& path);
    bool SaveTo(const QString& path);
    void SetFile(const LineFile& file, const QString& path);
    const LineFile& File() const { return file_; }
    const OverviewBoard& Board() const { return *board_; }
    OverviewModel* Model() const { return model_; }
    bool Running() const { return run_ && run_->AnyRunning(); }
    bool Lent(int line) const { return lent_.count(line) > 0; }

    void Command_Start_Click();
    // A report as a line's worker delivers it, for a benchmark that feeds the window itself.
    void TakeReport(const ModuleReport& report) { Take(report); }
    void Command_ResetCounts_Click();
    // Starts or ends the recording of readings and alarms at `path` (alarms beside it).
    bool StartRecording(const QString& path, const CsvRotation& rotation);
    void StopRecording();
    bool Recording() const { return readings_.IsOpen(); }
    // Publishes what the overview knows to the broker of `choice`; false, with the reason said,
    // when the choice cannot be used.
    bool StartPublishing(const PublishChoice& choice);
    void StopPublishing();
    bool Publishing() const { return publisher_ != nullptr; }
    // The trend of the module in `row`; nullptr for a model without readings.
    TrendFeed* TrendOf(int row);

    // Lends the line of the module in `row` to its test window: the line stops, and the window
    // is asked for.
    void HandOver(int row);
    // The test window closed: the line is polled again if the overview was polling.
    void TakeBack(int line);

  signals:
    // The main window opens the module's test window and calls TakeBack(line) when it closes.
    void OpenTestWindow(const WorkTarget& target, int line);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Take(const ModuleReport& report);
    void LineFailed(int line, const QString& why);
    void AddAlarmRow(const AlarmEntry& entry);
    // The alarm at `entry` of the board's list has cleared.
    void ShowAlarmCleared(int entry);
    void ShowState(const QString& text = {});
    void ShowButtons();
    // The row chosen in the table, -1 for none; and its line (a line of no modules is chosen
    // by none of its rows, so the last line then).
    int ChosenRow() const;
    int ChosenLine() const;
    // `edited` checked as a file is checked when read; said when refused.
    bool Accept(const LineFile& edited);
    void Open_Click();
    void Save_Click();
    void AddLine_Click();
    void EditLine_Click();
    void RemoveLine_Click();
    void AddModule_Click();
    void EditModule_Click();
    void RemoveModule_Click();
    void FromScan_Click();
    void Record_Click();
    void Trend_Click();
    void Publish_Click();

    LineFile file_;
    QString path_;
    std::unique_ptr<OverviewBoard> board_;
    std::unique_ptr<OverviewRun> run_;
    OverviewModel* model_;
    std::set<int> lent_;
    std::map<int, TrendFeed*> trends_;  // by row
    RotatingCsv readings_;
    RotatingCsv alarms_;
    std::unique_ptr<Broker> broker_;
    std::unique_ptr<WatchPublisher> publisher_;
};
