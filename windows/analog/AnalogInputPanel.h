#pragma once
// The analog / temperature input panel: a frame of channel readings polled by one loop
// (Command_OK1, TM_Acquisition_A, TM_Overtime_A, PollFlag 1, address list 0), and in the service
// modes a gain-adjust button per channel and a clear button.
//
// It is a panel, not a window: any work window embeds it. How (the input windows of this folder
// do exactly this; a combination window adds its other panels beside it):
//
//   TM_Overtime_C = new VbTimer("TM_Overtime_C", this);        // the window's write-reply timer
//   input = new AnalogInputPanel(this, table, TM_Overtime_C);   // nullptr: no ADJ / CLEAR
//   AddLoop(input->Loop());              // the window stops, pauses and resumes it like its own
//   input->AddAddressRow(Label6, CreateAddressList(0, input));  // or place Combo_Addr(0) anywhere
//   layout->addWidget(input);
//   ApplyIntervals: input->Loop()->Acquisition->SetInterval(..), ->Overtime->SetInterval(..)
//   LoadWindow:     input->Load();       // caption, readings blank, service buttons by FeatureMode
//   TM_Overtime_C_Timer (the window's, shared with its other writes):
//                   FinishExchange(TM_Overtime_C, {{8}, true, nullptr, true});
//
// The loop's reply rule (5 + 2 * channels bytes) decodes through ShowReadings(), which stores the
// raw values in Readings and paints AI_SHOW. ADJ and CLEAR go out through the window's
// BeginCommand (which pauses whichever loop runs) and SendFrame, then arm the named timer, whose
// handler resumes the paused loop. The panel lives as long as its window, so Readings survives
// closing and reopening.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <functional>
#include <vector>

#include "base/TextTable.h"
#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"
#include "trend/TrendFeed.h"
#include "core/modules/AnalogCodec.h"

// What one model's input panel looks like and how it reads.
struct InputChannelTable {
    QString frameName = "Frame7";  // control name of the frame ("Frame2" in combination windows)
    TextKey frameCaption = TextKey::FrameAnalogInput;
    QStringList channelNames{};  // Label18(0..n-1), never translated; their count is the channels
    AnalogCodec::ReadingKind reading = AnalogCodec::ReadingKind::Milliamps;
    bool reopensOnRejectedPoll = true;
    QString adjustCaption{};  // Command_Adj caption; empty: the panel has no ADJ / CLEAR buttons
    QString clearCaption{};   // Command_Clr caption
    int clearValue = 0;       // written to register 1100 by Command_Clr
};

class AnalogInputPanel : public QGroupBox {
    Q_OBJECT
  public:
    // `writeTimer` is armed after an ADJ or CLEAR request; it may be nullptr when the table has
    // no adjust caption.
    AnalogInputPanel(WorkWindow* window, InputChannelTable table, VbTimer* writeTimer);

    PollLoop* Loop() const { return loop_; }
    int Channels() const { return static_cast<int>(AI_SHOW.size()); }
    const InputChannelTable& Table() const { return table_; }

    // Places an address label and list at the top of the frame, beside the Read button.
    void AddAddressRow(QLabel* label, QComboBox* list);
    // Load step: frame caption, readings blank, ADJ / CLEAR shown only in the service modes.
    void Load();

    // Decodes the accepted poll reply in the window's ReceivedText (ShowTemperatures /
    // ShowAnalogInputs).
    void ShowReadings();
    void Command_Adj_Click(int index);
    void Command_Clr_Click();
    // Writes `value` to the adjustment register of `channel`.
    void SendAdjust(int channel, int value);

    // Last raw value per channel, read by the adjustment. Eleven entries, as the modules' largest
    // panel needs; the ones beyond the channel count stay 0.
    std::array<int, 11> Readings{};

    std::vector<QLabel*> Label18;
    std::vector<QLabel*> AI_SHOW;
    // The readings over time and their recording (Command_Trend, Command_Record).
    TrendFeed* Trend;
    std::vector<QPushButton*> Command_Adj;
    QPushButton* Command_Clr = nullptr;

  private:
    void SendCommand(const std::function<Frame(uint8_t)>& request);

    WorkWindow* window_;
    InputChannelTable table_;
    VbTimer* writeTimer_;
    PollLoop* loop_;
    class QHBoxLayout* topRow_;
};
