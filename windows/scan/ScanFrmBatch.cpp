// The batch page: modules on a bench given their addresses one at a time, each read back.
#include <QDateTime>

#include "base/Platform.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/scan/BatchLog.h"
#include "windows/scan/ScanFrm.h"
#include "core/scan/ScanTexts.h"

using namespace ScanTexts;

void ScanFrm::Command_Batch_Click() {
    if (Batching()) return EndBatch();
    if (!Panel()->PortOpen()) return ShowMessage(Tt(TextKey::MsgOpenPortFirst));
    if (Scanning()) EndScan(false);
    const bool full = Switches().FullSerialLists == 1;
    BatchSetup setup;
    setup.firstAddress = Batch_First->value();
    setup.step = Batch_Step->value();
    setup.fullLists = full;
    if (Batch_GiveSettings->isChecked()) {
        const int code = ParameterCodes::CodeOfEntry(Batch_Settings->currentText(), full);
        if (code == 0 || !ParameterCodes::CandidateOfCode(code, &setup.newSettings))
            return ShowMessage(Tt(TextKey::MsgSettingError));
        setup.giveSettings = true;
    }
    // No module is touched without its record: a log that cannot be opened stops Start here.
    QString logError;
    if (!log_.Start(Batch_LogPath->text(), Batch_Rotate->Rotation(), QDateTime::currentDateTime(),
                    &logError))
        return ShowMessage(Text(LogRefused).arg(log_.Path(), logError));
    CsvRotationText::Remember(Batch_Rotate->Rotation());
    userSettings_ = PanelSettings();
    openAt_ = userSettings_;
    if (Batch_FindAll->isChecked()) {
        setup.findAt = ParameterCodes::SearchCandidates(full);
    } else {
        setup.findAt.push_back(userSettings_);
    }
    session_ = std::make_unique<BatchSession>(setup);
    Command_Batch->setText(Text(Stop));
    for (QWidget* w : std::initializer_list<QWidget*>{Batch_First, Batch_Step, Batch_GiveSettings,
                                                      Batch_Settings, Batch_FindAll, Batch_LogPath,
                                                      Batch_Rotate, Command_Browse, Command_Scan})
        w->setEnabled(false);
    runClock_.start();
    ShowBatchState();
    SendBatchRequest();
}

void ScanFrm::TM_Batch_Timer() {
    TM_Batch->SetEnabled(false);
    if (Batching()) SendBatchRequest();
}

void ScanFrm::SendBatchRequest() {
    request_ = session_->Next();
    if (!OpenAt(request_.settings)) return EndBatch(false);
    ClearTexts();
    SetCause(TrafficCause::At(request_.kind, request_.address, PortSettings()));
    SendFrame(request_.body);
    if (!SerialPort::IsOpen() || !Panel()->PortOpen()) return EndBatch(false);
    StartReplyWait(request_.replyWaitMs);
}

void ScanFrm::FinishBatchExchange() {
    ReplyRule rule;
    rule.expectedBytes = request_.expected;
    rule.reopensOnReject = false;
    rule.resumesLoop = false;
    FinishWaitedExchange(TM_Reply, rule);
    if (!Batching()) return;  // a vanished device ended it while collecting
    const BatchReply reply =
        BatchReplyOf(request_, JudgeReply(ReceivedText, SentText, request_.expected), ReceivedText);
    const auto record = session_->Judge(reply, runClock_.elapsed());
    if (record) AddBatchRecord(*record);
    if (!Batching()) return;  // its log failed: stopped after the module in hand
    ShowBatchState();
    if (!SerialPort::IsOpen() || !Panel()->PortOpen()) return EndBatch(false);
    TM_Batch->SetInterval(std::max(1, session_->DelayMs()));
    TM_Batch->SetEnabled(true);
}

void ScanFrm::AddBatchRecord(const BatchRecord& record) {
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList cells = BatchLog::Cells(record, now);
    const int r = Batch_Table->rowCount();
    Batch_Table->insertRow(r);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setForeground(record.verified ? QColor(27, 94, 32) : QColor(183, 28, 28));
        Batch_Table->setItem(r, c, item);
    }
    Batch_Table->resizeColumnsToContents();
    Batch_Table->scrollToBottom();
    QString error;
    if (record.verified) CurrentPlatform().Beep(4000, 150);
    if (log_.Append(record, now, &error)) return;
    // A module commissioned without its record is worse than a batch stopped.
    const QString failed = Text(LogFailed).arg(log_.Path(), error);
    EndBatch();
    Panel()->Text_Message->setText(failed);
    ShowMessage(failed);
}

void ScanFrm::Command_Retry_Click() {
    if (!Batching()) return;
    session_->Retry();
    ShowBatchState();
    if (session_->CurrentPhase() != BatchSession::Phase::Finding) return;
    // The removal check may be waiting for its reply or its pause: start over at once.
    if (TM_Reply->Enabled()) return;
    TM_Batch->SetEnabled(false);
    SendBatchRequest();
}

void ScanFrm::EndBatch(bool reopen) {
    if (!session_) return;
    session_.reset();  // first: a re-open that fails ends up here again
    TM_Reply->SetEnabled(false);
    TM_Batch->SetEnabled(false);
    RestoreUserSettings(reopen);
    Command_Batch->setText(Text(Start));
    for (QWidget* w :
         std::initializer_list<QWidget*>{Batch_First, Batch_Step, Batch_GiveSettings, Batch_FindAll,
                                         Batch_LogPath, Batch_Rotate, Command_Browse, Command_Scan})
        w->setEnabled(true);
    Batch_Settings->setEnabled(Batch_GiveSettings->isChecked());
    ShowBatchState();
}

void ScanFrm::ShowBatchState() {
    const BatchSession* s = session_.get();
    QString text = Text(StateIdle);
    QString style = QStringLiteral("background:#eceff1;color:#263238;");
    if (s) {
        const BatchRecord& last = s->LastRecord();
        const auto outcome = s->LastOutcome();
        const auto phase = s->CurrentPhase();
        const BatchRequest next = s->Next();
        if (phase != BatchSession::Phase::Removal && phase != BatchSession::Phase::Finding) {
            QString model = ModuleParametersText::ModelOfCode(s->Found().modelCode);
            text = Text(StateWorking).arg(model).arg(s->Found().address).arg(s->TargetAddress());
            style = QStringLiteral("background:#fff8e1;color:#5d4037;");
        } else if (outcome == BatchSession::Outcome::Verified) {
            text = Text(StateVerified)
                       .arg(last.model)
                       .arg(last.newAddress)
                       .arg(ParameterCodes::EntryText(last.newSettings));
            style = QStringLiteral("background:#2e7d32;color:white;");
        } else if (outcome == BatchSession::Outcome::Failed) {
            text = Text(StateFailed).arg(last.reason);
            style = QStringLiteral("background:#c62828;color:white;");
        } else {
            text = Text(StateWaiting).arg(ParameterCodes::EntryText(next.settings));
        }
        Batch_Counter->setText(Text(Counter).arg(s->Verified()).arg(s->NextAddress()));
        Command_Retry->setEnabled(outcome == BatchSession::Outcome::Failed &&
                                  phase == BatchSession::Phase::Removal);
    } else {
        Command_Retry->setEnabled(false);
    }
    Batch_State->setText(text);
    Batch_State->setStyleSheet(style + QStringLiteral("border-radius:6px;padding:8px;"));
}
