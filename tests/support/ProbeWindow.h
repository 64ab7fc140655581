#pragma once
// A bare work window for driving the shared exchange machinery against a module or a peer: one
// poll loop reading registers 0..3 of the module in address list 0, a one-shot write command, and
// one-shot exchanges of any request judged by their length. The timers never fire on their own;
// tests call the handlers.
#include <gtest/gtest.h>

#include <QVBoxLayout>
#include <vector>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "workwindow/PollLoop.h"
#include "core/line/SerialPort.h"
#include "workwindow/WorkWindow.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/TestPlatform.h"

class ProbeWindow : public WorkWindow {
  public:
    ProbeWindow() {
        PollLoopSpec spec;
        spec.request = [](uint8_t address) { return ReadRequest(address, 0x03, 0, 4); };
        spec.reply = {{13},
                      true,
                      [this] {
                          registers.clear();
                          for (int k = 0; k < 4; ++k)
                              registers.push_back(RegisterOfReply(ReceivedText, k));
                      },
                      true};
        spec.replyNow = [this, rule = spec.reply] {
            ReplyRule now = rule;
            now.reopensOnReject = reopensOnReject;
            return now;
        };
        loop = new PollLoop(this, spec);
        AddLoop(loop);
        TM_Overtime_C = new VbTimer("TM_Overtime_C", this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Panel());
        Panel()->AddRow(new QLabel("Address", this), CreateAddressList(0, this));
        layout->addWidget(loop->Button);
    }
    void ApplyIntervals(const QList<int>&) override {
        loop->Acquisition->SetInterval(0);
        loop->Overtime->SetInterval(0);
        TM_Overtime_C->SetInterval(0);
    }
    // One poll of the loop (started when it is not running); true when the reply was accepted.
    bool Poll() {
        if (!loop->Running()) loop->Click();
        loop->AcquisitionTick();
        AwaitReply();
        loop->OvertimeTick();
        return Panel()->Text_Message->text() == Tt(TextKey::MsgCommNormal);
    }
    // Sends a request body with its CRC; true when a reply of `expectedBytes` came back.
    bool Exchange(const Frame& body, int expectedBytes) {
        SendFrame(body);
        AwaitReply();
        TM_Overtime_C->SetEnabled(true);
        return FinishExchange(TM_Overtime_C, {{expectedBytes}, true, nullptr, false});
    }

    // Writes register 1100 the way a window's command button does: pause, send, resume.
    void Write(int value) {
        const auto address = BeginCommand(0);
        if (!address) return;
        SendFrame(WriteRegisterRequest(*address, 1100, value));
        TM_Overtime_C->SetEnabled(true);
    }
    void TM_Overtime_C_Timer() { FinishExchange(TM_Overtime_C, {{8}, true, nullptr, true}); }
    // Register 0 of the last accepted poll reply, -1 when none was decoded.
    int FirstRegister() const { return registers.empty() ? -1 : registers[0]; }

    // How long a peer may take to start its reply before it is judged; 0 leaves it to the read's
    // own wait, which a late reply misses, as on a real line.
    int replyWaitMs = 0;
    void AwaitReply() {
        if (replyWaitMs > 0) SerialPort::WaitForInput(replyWaitMs);
    }

    // Whether a rejected poll re-opens the port, as most windows do (ZN270 does not).
    bool reopensOnReject = true;
    PollLoop* loop;
    VbTimer* TM_Overtime_C;
    std::vector<int> registers;
};

// A loaded probe window in a scratch working folder, English texts, set.rc on COM1 at 9600.
class ProbeWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TextTable::Fill(true);
        Switches() = StartupSwitches{};
        sys.WriteFile("set.rc", "1\r\n9600\r\nNone\r\n");
        window.OpenWindow();
    }
    void TearDown() override { SerialPort::ClosePort(); }

    ScratchSys sys;
    RecordingPlatform platform;
    ProbeWindow window;
};
