#pragma once
// The bus scan window: finds every module on a line by a unicast read of registers 100..102 at
// each address, at the panel's line settings or at every candidate; and, on its second page,
// gives modules connected one at a time on a bench their addresses and line settings, each
// verified by reading it back. Every frame goes out and is judged through the work window's one
// exchange path, so the traffic monitor shows it with its cause.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <array>
#include <memory>
#include <optional>

#include "core/modules/ParameterCodes.h"
#include "workwindow/VbTimer.h"
#include "widgets/RotationChoice.h"
#include "workwindow/WorkTarget.h"
#include "workwindow/WorkWindow.h"
#include "core/scan/BatchLog.h"
#include "core/scan/BatchSession.h"
#include "core/scan/ScanPlan.h"
#include "core/scan/ScanRows.h"

using ScanTarget = WorkTarget;

class ScanFrm : public WorkWindow {
    Q_OBJECT
  public:
    explicit ScanFrm(QWidget* parent = nullptr);
    ~ScanFrm() override;

    QTabWidget* Tabs;
    // Scan page.
    QLabel *Label_From, *Label_To, *Label_Wait, *Label_WaitDefault, *Label_Progress;
    QSpinBox *Scan_From, *Scan_To, *Scan_Wait;
    QCheckBox* Scan_AllSettings;
    QPushButton *Command_Scan, *Command_Copy, *Command_SaveCsv, *Command_SaveLines,
        *Command_OpenWindow;
    QProgressBar* Scan_Progress;
    QTableWidget* Scan_Table;
    // Batch page.
    QLabel *Label_First, *Label_Step, *Label_Log, *Batch_State, *Batch_Counter;
    QSpinBox *Batch_First, *Batch_Step;
    QCheckBox *Batch_GiveSettings, *Batch_FindAll;
    QComboBox* Batch_Settings;
    QLineEdit* Batch_LogPath;
    RotationChoice* Batch_Rotate;  // when the log goes on in a new file
    QPushButton *Command_Browse, *Command_Batch, *Command_Retry;
    QTableWidget* Batch_Table;
    // Ticks while a reply is awaited; the batch's pause before its next request.
    VbTimer *TM_Reply, *TM_Batch;

    void Command_Scan_Click();
    void Command_Copy_Click();
    void Command_SaveCsv_Click();
    void Command_SaveLines_Click();
    void Command_OpenWindow_Click();
    void Command_Batch_Click();
    void Command_Retry_Click();
    void Command_Browse_Click();
    void TM_Reply_Timer();
    void TM_Batch_Timer();

    bool Scanning() const { return plan_ != nullptr; }
    bool Batching() const { return session_ != nullptr; }
    const ScanRows& Rows() const { return rows_; }
    const BatchSession* Session() const { return session_.get(); }
    // Writes the rows as CSV; false with the reason shown in the status line.
    bool SaveCsv(const QString& path);
    // Writes the modules found as a line file, one line per line settings; false with the reason
    // shown in the status line.
    bool SaveLines(const QString& path);

  signals:
    void OpenTestWindow(const ScanTarget& target);

  protected:
    void LoadWindow() override;
    bool ReadsTmRc() const override { return false; }
    void StopPolling() override;
    // A scan or batch ends first, so the settings kept are the user's, not a candidate's.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildScanPage();
    QWidget* BuildBatchPage();
    void LoadScanTexts();
    void LoadBatchTexts();
    // The settings the panel's lists name.
    SerialCandidate PanelSettings();
    // The port open at `settings` (the panel's lists set to them); false when it would not open.
    bool OpenAt(const SerialCandidate& settings);
    void StartReplyWait(int waitMs);
    void ShowWaitDefault();

    void SendProbe();
    void FinishProbe();
    // Ends the scan; the panel back at the user's settings, re-opened there when `reopen`.
    void EndScan(bool finished, bool reopen = true);
    void RestoreUserSettings(bool reopen);
    void AddRowToTable(const ScanRow& row);
    void ShowRows();
    void ShowProgress();

    void SendBatchRequest();
    void FinishBatchExchange();
    void EndBatch(bool reopen = true);
    void ShowBatchState();
    void AddBatchRecord(const BatchRecord& record);

    ScanRows rows_;
    std::unique_ptr<ScanPlan> plan_;
    std::unique_ptr<BatchSession> session_;
    BatchLogFile log_;
    BatchRequest request_;
    std::optional<SerialCandidate> openAt_;  // settings the port was last opened at by us
    SerialCandidate userSettings_;           // the panel's settings before a scan or batch
    QElapsedTimer sentClock_;                // since the request went out
    QElapsedTimer runClock_;                 // since the scan or batch began
    int replyWaitMs_ = 0;
    int scanWaitMs_ = 0;  // the reply wait the last scan was asked for (0: the default)
    int firstByteMs_ = -1;
    bool waitingOn_ = false;    // a late answer came first: the probe waits on for its own
    qint64 lateHeardAtMs_ = 0;  // when that late answer began, on runClock_
    // When each address was last probed (runClock_ ms): how late a late answer came.
    std::array<qint64, 256> probeSentAtMs_{};
};
