#pragma once
// A poll loop: its Read/Stop button, the poll timer that sends and the time-out timer that
// collects. Windows with two loops run them mutually exclusive, told apart by PollFlag 1 and 2.
#include <QObject>
#include <QPushButton>
#include <functional>
#include <optional>

#include "base/TextTable.h"

#include "core/protocol/Modbus.h"
#include "workwindow/VbTimer.h"
#include "workwindow/WorkWindow.h"

struct PollLoopSpec {
    QString buttonName = "Command_OK1";
    QString acquisitionName = "TM_Acquisition_A";
    QString overtimeName = "TM_Overtime_A";
    int flagValue = 1;
    int addressIndex = 0;
    // The request body (without CRC) for a module address.
    std::function<Frame(uint8_t address)> request;
    ReplyRule reply;
    // Where the request or its reply length depends on what the window shows at that moment:
    // a last check before sending (a message refuses and stops the loop like a bad address)...
    std::function<std::optional<TextKey>()> refusal;
    // ...and the rule for the reply, built when the reply is judged (overrides `reply`).
    std::function<ReplyRule()> replyNow;
    // Some windows also blank Text_Message, Text_Send and Text_Receive before each poll.
    bool clearsBoxesOnTick = false;
};

class PollLoop : public QObject {
    Q_OBJECT
  public:
    PollLoop(WorkWindow* window, PollLoopSpec spec);

    QPushButton* Button;
    VbTimer* Acquisition;
    VbTimer* Overtime;

    int FlagValue() const { return spec_.flagValue; }
    int AddressIndex() const { return spec_.addressIndex; }
    // A loop runs while its button shows Stop.
    bool Running() const;
    // Load step: caption Read, both timers off.
    void Load();
    // Both timers off, caption Read; PollFlag is the caller's business.
    void Stop();

    void Click();            // Command_OKn_Click
    void AcquisitionTick();  // TM_Acquisition_x_Timer: send one poll
    void OvertimeTick();     // TM_Overtime_x_Timer: collect and judge the reply

  private:
    WorkWindow* window_;
    PollLoopSpec spec_;
};
