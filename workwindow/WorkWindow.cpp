#include "workwindow/WorkWindow.h"

#include <QCloseEvent>
#include <QIcon>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Platform.h"
#include "base/SettingsFiles.h"
#include "base/Switches.h"
#include "workwindow/PollLoop.h"
#include "core/line/SerialPort.h"
#include "monitor/TrafficMonitor.h"

void BeepIfEnabled() {
    if (BeepModeOn()) CurrentPlatform().Beep(4000, 300);
}

WorkWindow::WorkWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      SentText(exchange_.SentText),
      ReceivedText(exchange_.ReceivedText) {
    panel_ = new CommPanel(this);
    connect(panel_->Command_Port, &QPushButton::clicked, this, &WorkWindow::Command_Port_Click);
    connect(panel_->Command_Traffic, &QPushButton::clicked, this, &WorkWindow::ShowTraffic);
    auto* traffic = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(traffic, &QShortcut::activated, this, &WorkWindow::ShowTraffic);
}

void WorkWindow::ShowTraffic() {
    TrafficLog::Instance().Follow(windowTitle());
    TrafficMonitor::Open();
}

QComboBox* WorkWindow::CreateAddressList(int index, QWidget* parent) {
    QComboBox* list = MakeAddressList(index, parent);
    addressLists_[index] = list;
    return list;
}

QComboBox* WorkWindow::AddressList(int index) const {
    auto it = addressLists_.find(index);
    return it == addressLists_.end() ? nullptr : it->second;
}

void WorkWindow::OpenWindow() {
    Form_Load();
    TrafficLog::Instance().Follow(windowTitle());
    show();
    raise();
    activateWindow();
}

void WorkWindow::Form_Load() {
    StopAllTimers();
    panel_->Load();
    // The boxes are controls, made anew at every load; SentText and ReceivedText are kept.
    ClearBoxes();
    setWindowIcon(QIcon(SettingsFiles::IconPath()));
    if (ReadsTmRc()) ApplyIntervals(SettingsFiles::ReadIntervals());
    for (auto& [index, list] : addressLists_) FillAddressList(list);
    for (PollLoop* loop : loops_) loop->Load();
    PollFlag = 0;
    LoadWindow();
}

void WorkWindow::StopAllTimers() {
    for (VbTimer* timer : findChildren<VbTimer*>()) timer->SetEnabled(false);
}

void WorkWindow::StopLoops(PollLoop* except, bool waitAfterEach) {
    for (PollLoop* loop : loops_) {
        if (loop == except || !loop->Running()) continue;
        loop->Stop();
        if (waitAfterEach) Wait(100);
    }
}

void WorkWindow::StopPolling() {
    StopLoops();
    PollFlag = 0;
}

void WorkWindow::ClosePanel() {
    StopPolling();
    panel_->ShowPortState(false);
    AbandonReply(TrafficAbandon::PortClosed);
    SerialPort::ClosePort();
    Wait(500);
}

void WorkWindow::Command_Port_Click() {
    if (!panel_->PortOpen()) {
        if (panel_->OpenFromLists()) panel_->ShowPortState(true);
        return;
    }
    ClosePanel();
}

void WorkWindow::ReopenPort() {
    // Never open a port the panel shows closed (the user closed it, or the device went).
    if (!panel_->PortOpen()) return;
    AbandonReply(TrafficAbandon::Reopened);
    SerialPort::ClosePort();
    if (panel_->ReopenFromLists()) return;
    for (PollLoop* loop : loops_) loop->Stop();
    PollFlag = 0;
    ClosePanel();
}

bool WorkWindow::Form_QueryUnload() {
    panel_->SaveSettings();
    AbandonReply(TrafficAbandon::WindowClosed);
    SerialPort::ClosePort();
    StopAllTimers();
    PollFlag = 0;
    hide();
    emit Closed();
    return true;
}

void WorkWindow::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

void WorkWindow::ClearBoxes() {
    SetBoxText(panel_->Text_Message, {});
    SetBoxText(panel_->Text_Send, {});
    SetBoxText(panel_->Text_Receive, {});
}

void WorkWindow::ClearTexts() {
    ClearTextsBeforeSending();
    SetBoxText(panel_->Text_Send, {});
}

void WorkWindow::ClearTextsBeforeSending() {
    SetBoxText(panel_->Text_Message, {});
    SetBoxText(panel_->Text_Receive, {});
    SentText.clear();
    ReceivedText.clear();
}

void WorkWindow::SendFrame(const Frame& body) {
    const int size = exchange_.Prepare(body);
    SetBoxText(panel_->Text_Send, SentText);
    WriteBuffer(size);
}

void WorkWindow::WriteBuffer(int count) {
    exchange_.WriteBuffer(count);
    CloseIfVanished();
}

void WorkWindow::ReadReply() {
    exchange_.Collect(replyWaited_);
    CloseIfVanished();
}

void WorkWindow::CollectReply() {
    ReadReply();
    exchange_.NoteUnjudged();
}

void WorkWindow::CloseIfVanished() {
    // The serial layer has told the user once; polling a device that is gone would only repeat it.
    if (SerialPort::Vanished() && panel_->PortOpen()) ClosePanel();
}

bool WorkWindow::FinishExchange(VbTimer* timer, const ReplyRule& rule) {
    // Off first: a message box raised while re-opening must not let this handler run again.
    timer->SetEnabled(false);
    ReadReply();
    return JudgeCollectedReply(rule, ReceivedText);
}

void WorkWindow::CollectWaitedReply(bool more) {
    if (more)
        exchange_.CollectMore();
    else
        exchange_.Collect(true);
    CloseIfVanished();
}

bool WorkWindow::JudgeCollectedReply(const ReplyRule& rule, const QString& own) {
    const ReplyVerdict verdict = exchange_.JudgeAs(own, rule.expectedBytes);
    const bool accepted = verdict == ReplyVerdict::Accepted;
    if (accepted) {
        SetBoxText(panel_->Text_Receive, ReceivedText);
        if (rule.decode) rule.decode();
        SetBoxText(panel_->Text_Message, Tt(TextKey::MsgCommNormal));
    } else {
        if (rule.rejected) rule.rejected();
        if (rule.reopensOnReject) ReopenPort();
        SetBoxText(panel_->Text_Message, Tt(TextKey::MsgCommError));
    }
    if (rule.resumesLoop) ResumeLoop();
    return accepted;
}

bool WorkWindow::FinishWaitedExchange(VbTimer* timer, const ReplyRule& rule) {
    replyWaited_ = true;
    const bool accepted = FinishExchange(timer, rule);
    replyWaited_ = false;
    return accepted;
}

WorkWindow::AddressCheck WorkWindow::CheckAddress(int index) const {
    QComboBox* list = AddressList(index);
    const QString text = list ? list->currentText() : QString();
    if (text.isEmpty()) return {std::nullopt, TextKey::MsgNoAddress};
    const auto address = ParseAddressText(text);
    if (!address) return {std::nullopt, TextKey::MsgSettingError};
    return {address, TextKey::MsgNoAddress};
}

void WorkWindow::PauseLoops() {
    for (PollLoop* loop : loops_) {
        loop->Acquisition->SetEnabled(false);
        loop->Overtime->SetEnabled(false);
    }
    Wait(100);
    AbandonReply(TrafficAbandon::Command);
    // A loop started with the port closed has not failed yet; never open a port the panel
    // shows closed.
    if (panel_->PortOpen()) ReopenPort();
}

void WorkWindow::ResumeLoop() {
    for (PollLoop* loop : loops_)
        if (loop->FlagValue() == PollFlag && PollFlag != 0) loop->Acquisition->SetEnabled(true);
}

std::optional<uint8_t> WorkWindow::BeginCommand(int addressIndex) {
    const bool wasOpen = panel_->PortOpen();
    if (PollFlag != 0) PauseLoops();
    ClearTexts();
    // The pause's re-open failed, said so and closed the panel: one click, one message.
    if (wasOpen && !panel_->PortOpen()) return std::nullopt;
    const AddressCheck check = CheckAddress(addressIndex);
    if (!panel_->PortOpen() || !check.address) {
        ShowMessage(Tt(panel_->PortOpen() ? check.refusal : TextKey::MsgOpenPortFirst));
        // Nothing is sent, so no reply handler would resume the paused loop: resume it here,
        // unless it would meet the same refusal at its next tick. One click, one message.
        if (PausedLoopWouldBeRefused()) StopPolling();
        ResumeLoop();
        return std::nullopt;
    }
    SetCause(TrafficCause::Write);
    return check.address;
}

bool WorkWindow::PausedLoopWouldBeRefused() const {
    for (PollLoop* loop : loops_)
        if (loop->FlagValue() == PollFlag && PollFlag != 0)
            return !panel_->PortOpen() || !CheckAddress(loop->AddressIndex()).address;
    return false;
}
