#include "workwindow/PollLoop.h"

#include "base/Platform.h"
#include "base/TextTable.h"

PollLoop::PollLoop(WorkWindow* window, PollLoopSpec spec)
    : QObject(window), window_(window), spec_(std::move(spec)) {
    Button = new QPushButton(window);
    NameControl(Button, spec_.buttonName);
    Acquisition = new VbTimer(spec_.acquisitionName, window);
    Overtime = new VbTimer(spec_.overtimeName, window);
    connect(Button, &QPushButton::clicked, this, &PollLoop::Click);
    connect(Acquisition, &QTimer::timeout, this, &PollLoop::AcquisitionTick);
    connect(Overtime, &QTimer::timeout, this, &PollLoop::OvertimeTick);
}

bool PollLoop::Running() const {
    return Button->text() == Tt(TextKey::CaptionStop);
}

void PollLoop::Load() {
    Stop();
}

void PollLoop::Stop() {
    Acquisition->SetEnabled(false);
    Overtime->SetEnabled(false);
    Button->setText(Tt(TextKey::CaptionRead));
}

void PollLoop::Click() {
    if (Running()) {
        Acquisition->SetEnabled(false);
        Button->setText(Tt(TextKey::CaptionRead));
        window_->PollFlag = 0;
        return;
    }
    // Only one loop of a window runs: stopping the other drops its reply in transit.
    bool stoppedOther = false;
    for (PollLoop* other : window_->Loops()) {
        if (other == this || !other->Running()) continue;
        other->Stop();
        stoppedOther = true;
    }
    if (stoppedOther) {
        Wait(100);
        window_->AbandonReply(TrafficAbandon::LoopSwitched);
        if (window_->Panel()->PortOpen()) window_->ReopenPort();
    }
    Acquisition->SetEnabled(true);
    Button->setText(Tt(TextKey::CaptionStop));
    window_->PollFlag = spec_.flagValue;
}

void PollLoop::AcquisitionTick() {
    window_->SentText.clear();
    window_->ReceivedText.clear();
    if (spec_.clearsBoxesOnTick) window_->ClearTextsBeforeSending();
    const auto refuse = [this](TextKey message) {
        if (spec_.clearsBoxesOnTick) window_->ClearBoxes();
        Acquisition->SetEnabled(false);
        Button->setText(Tt(TextKey::CaptionRead));
        window_->PollFlag = 0;
        ShowMessage(Tt(message));
    };
    if (!window_->Panel()->PortOpen()) return refuse(TextKey::MsgOpenPortFirst);
    const WorkWindow::AddressCheck check = window_->CheckAddress(spec_.addressIndex);
    if (!check.address) return refuse(check.refusal);
    if (spec_.refusal)
        if (const auto message = spec_.refusal()) return refuse(*message);
    Acquisition->SetEnabled(false);
    window_->SetCause(spec_.flagValue == 2 ? TrafficCause::PollB : TrafficCause::PollA);
    window_->SendFrame(spec_.request(*check.address));
    // A device gone at the write has closed the panel: no reply to wait for.
    if (window_->Panel()->PortOpen()) Overtime->SetEnabled(true);
}

void PollLoop::OvertimeTick() {
    window_->FinishExchange(Overtime, spec_.replyNow ? spec_.replyNow() : spec_.reply);
}
