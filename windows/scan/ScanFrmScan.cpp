// The scan page: one unicast read of registers 100..102 per address and settings.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QSaveFile>

#include "base/Platform.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/overview/ScanLines.h"
#include "windows/scan/ScanFrm.h"
#include "core/scan/BusScan.h"
#include "core/scan/ScanTexts.h"
#include "widgets/CsvSaveDialog.h"

using namespace ScanTexts;

namespace {
constexpr int kReadBytes = BusScan::kReplyBytes;

QString SettingsShort(const SerialCandidate& settings) {
    return QStringLiteral("%1,%2").arg(settings.baud).arg(QChar(settings.parity));
}
}  // namespace

void ScanFrm::Command_Scan_Click() {
    if (Scanning()) return EndScan(false);
    if (!Panel()->PortOpen()) return ShowMessage(Tt(TextKey::MsgOpenPortFirst));
    if (Batching()) EndBatch();
    if (Scan_From->value() > Scan_To->value()) return ShowMessage(Tt(TextKey::MsgSettingError));
    userSettings_ = PanelSettings();
    openAt_ = userSettings_;
    std::vector<SerialCandidate> settings;
    if (Scan_AllSettings->isChecked()) {
        settings = ParameterCodes::SearchCandidates(Switches().FullSerialLists == 1);
    } else {
        settings.push_back(userSettings_);
    }
    rows_.Clear();
    ShowRows();
    scanWaitMs_ = Scan_Wait->value();
    plan_ = std::make_unique<ScanPlan>(Scan_From->value(), Scan_To->value(), settings, scanWaitMs_);
    Command_Scan->setText(Text(Stop));
    for (QWidget* w : std::initializer_list<QWidget*>{Scan_From, Scan_To, Scan_Wait,
                                                      Scan_AllSettings, Command_Batch})
        w->setEnabled(false);
    runClock_.start();
    SendProbe();
}

void ScanFrm::SendProbe() {
    if (plan_->Done()) return EndScan(true);
    const ScanProbe probe = plan_->Current();
    if (!OpenAt(probe.settings)) return EndScan(false, false);
    ShowProgress();
    ClearTexts();
    SetCause(TrafficCause::At(TrafficCause::Scan, probe.address, PortSettings()));
    SendFrame(BusScan::ProbeRequest(probe));
    if (!SerialPort::IsOpen() || !Panel()->PortOpen()) return EndScan(false, false);
    probeSentAtMs_[probe.address] = runClock_.elapsed();
    StartReplyWait(probe.replyWaitMs);
}

void ScanFrm::FinishProbe() {
    const ScanProbe probe = plan_->Current();
    CollectWaitedReply(waitingOn_);
    const bool timeLeft = sentClock_.elapsed() < replyWaitMs_ && SerialPort::IsOpen() && Scanning();
    if (!waitingOn_) lateHeardAtMs_ = probeSentAtMs_[probe.address] + std::max(firstByteMs_, 0);
    const BusScan::ProbeReply sorted = BusScan::SortReply(
        probe, *plan_, ReceivedText, SentText, std::max(firstByteMs_, 0),
        [this](int address) {
            return static_cast<int>(lateHeardAtMs_ - probeSentAtMs_[address & 0xFF]);
        },
        timeLeft);
    if (sorted.waitOn) {
        // Only a late answer so far: this probe's own reply may still come within its wait.
        waitingOn_ = true;
        firstByteMs_ = -1;
        TM_Reply->SetEnabled(true);
        return;
    }
    waitingOn_ = false;
    ReplyRule rule;
    rule.expectedBytes = {kReadBytes};
    rule.reopensOnReject = false;  // the next probe opens the port as it needs it
    rule.resumesLoop = false;
    JudgeCollectedReply(rule, sorted.own);
    for (const ScanRow& row : sorted.rows) rows_.Add(row);
    if (!sorted.rows.empty()) ShowRows();
    if (!Scanning()) return;  // a vanished device ended it while collecting
    plan_->Advance(!sorted.own.isEmpty());
    if (!SerialPort::IsOpen() || !Panel()->PortOpen()) return EndScan(false, false);
    SendProbe();
}

void ScanFrm::EndScan(bool finished, bool reopen) {
    if (!plan_) return;
    plan_.reset();  // first: a re-open that fails ends up here again
    waitingOn_ = false;
    TM_Reply->SetEnabled(false);
    RestoreUserSettings(reopen);
    Command_Scan->setText(Text(Scan));
    for (QWidget* w : std::initializer_list<QWidget*>{Scan_From, Scan_To, Scan_Wait,
                                                      Scan_AllSettings, Command_Batch})
        w->setEnabled(true);
    const int found = static_cast<int>(rows_.Rows().size());
    if (finished) {
        // The last probe's silence says nothing about the line: the rows do.
        ClearTexts();
        Scan_Progress->setValue(Scan_Progress->maximum());
        Label_Progress->setText(
            Text(ScanDone).arg(found).arg(runClock_.elapsed() / 1000.0, 0, 'f', 1));
    } else {
        Label_Progress->setText(Text(ScanStopped).arg(found));
    }
}

void ScanFrm::ShowProgress() {
    const double planned = plan_->PlannedMs();
    const double done = plan_->DoneMs();
    Scan_Progress->setValue(planned > 0 ? static_cast<int>(1000 * done / planned) : 0);
    // What is left of the plan (sweeps that may yet be skipped included), at the pace of the
    // probes sent so far.
    const double sent = plan_->SentMs();
    const double pace = sent > 0 ? runClock_.elapsed() / sent : 1.0;
    const int left = static_cast<int>((planned - done) * pace / 1000 + 0.5);
    const ScanProbe probe = plan_->Current();
    Label_Progress->setText(
        probe.address == 0
            ? Text(ProbingBroadcast).arg(SettingsShort(probe.settings)).arg(left)
            : Text(Probing).arg(probe.address).arg(SettingsShort(probe.settings)).arg(left));
}

void ScanFrm::ShowRows() {
    const auto& rows = rows_.Rows();
    Scan_Table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QStringList cells = ScanRows::Cells(rows[r]);
        const bool flagged = rows[r].Flagged();
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (flagged) {
                item->setBackground(QColor(255, 236, 179));
                item->setForeground(QColor(183, 28, 28));
            }
            Scan_Table->setItem(r, c, item);
        }
    }
    Scan_Table->resizeColumnsToContents();
    // A line file holds at least one module: a scan that found none has nothing to save.
    Command_SaveLines->setEnabled(!LineFileOfScan(QString(), rows).lines.empty());
}

void ScanFrm::Command_Copy_Click() {
    std::vector<int> chosen;
    for (const QModelIndex& index : Scan_Table->selectionModel()->selectedRows())
        chosen.push_back(index.row());
    std::sort(chosen.begin(), chosen.end());
    if (chosen.empty())
        for (int r = 0; r < static_cast<int>(rows_.Rows().size()); ++r) chosen.push_back(r);
    QApplication::clipboard()->setText(rows_.Tsv(chosen));
}

bool ScanFrm::SaveCsv(const QString& path) {
    QSaveFile file(path);
    const QByteArray bytes = rows_.Csv().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Label_Progress->setText(Text(SaveFailed).arg(path, file.errorString()));
        return false;
    }
    Label_Progress->setText(Text(Saved).arg(path));
    return true;
}

void ScanFrm::Command_SaveCsv_Click() {
    const QString path =
        AskCsvSavePath(this, Text(ScanTexts::SaveCsv), QStringLiteral("scan.csv"), Text(CsvFiles));
    if (!path.isEmpty()) SaveCsv(path);
}

bool ScanFrm::SaveLines(const QString& path) {
    LineFile file = LineFileOfScan(Panel()->PortName(), rows_.Rows());
    // A wait chosen for the scan suits the line too; a slow module's longer one stays.
    if (scanWaitMs_ > 0)
        for (LineOfModules& line : file.lines) line.waitMs = std::max(line.waitMs, scanWaitMs_);
    QString error;
    if (file.lines.empty() || !file.Save(path, &error)) {
        Label_Progress->setText(Text(SaveFailed).arg(path, error));
        return false;
    }
    Label_Progress->setText(Text(Saved).arg(path));
    return true;
}

void ScanFrm::Command_SaveLines_Click() {
    const QString path = AskSavePath(this, Text(ScanTexts::SaveLines), QStringLiteral("scan.json"),
                                     Text(LineFiles), QStringLiteral("json"));
    if (!path.isEmpty()) SaveLines(path);
}

void ScanFrm::Command_OpenWindow_Click() {
    const int r = Scan_Table->currentRow();
    if (r < 0 || r >= static_cast<int>(rows_.Rows().size())) return;
    const ScanRow& row = rows_.Rows()[r];
    const QString model = ModuleParametersText::ModelOfCode(row.registers.modelCode);
    if (!row.readable || model.isEmpty()) return ShowMessage(Tt(TextKey::MsgSelectModel));
    if (Scanning()) EndScan(false);
    emit OpenTestWindow({model, Panel()->PortName(), row.heardAt, row.address});
}
