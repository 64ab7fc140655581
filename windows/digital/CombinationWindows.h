#pragma once
// The combination windows: a measurement panel (six analog inputs in ZN410 / ZN420, four
// temperatures in ZN430) polled as loop A, four digital inputs polled as loop B, and four digital
// outputs. The two loops exclude each other; every write (outputs, ADJ, CLEAR) is confirmed by the
// one timer TM_Overtime_C, whose handler resumes the loop PollFlag names.
#include "workwindow/WorkWindow.h"
#include "core/modules/AnalogCodec.h"
#include "windows/analog/AnalogInputPanel.h"
#include "windows/digital/DigitalInputPanel.h"
#include "windows/digital/DigitalOutputPanel.h"

struct CombinationModel {
    const char* model;
    TextKey measurementFrame;
    bool calibrates;          // ADJ per channel and CLEAR (88), in the service modes
    int measurementWaitLine;  // tm.rc line of TM_Overtime_A
};

// The three modules' rows (CombinationWindows.cpp).
extern const CombinationModel kZN410, kZN420, kZN430;

class CombinationWindow : public WorkWindow {
    Q_OBJECT
  public:
    explicit CombinationWindow(const CombinationModel& model);

    AnalogInputPanel* Measurements;  // loop A, Combo_Addr(0), Label6
    DigitalInputPanel* Inputs;       // loop B, Combo_Addr(1)
    DigitalOutputPanel* Outputs;     // Command_OK3, TM_Overtime_C, Combo_Addr(2)
    QLabel* Label6;

    // The handlers by their control names.
    void Command_OK1_Click() { Measurements->Loop()->Click(); }
    void TM_Acquisition_A_Timer() { Measurements->Loop()->AcquisitionTick(); }
    void TM_Overtime_A_Timer() { Measurements->Loop()->OvertimeTick(); }
    void Command_OK2_Click() { Inputs->Loop->Click(); }
    void TM_Acquisition_B_Timer() { Inputs->Loop->AcquisitionTick(); }
    void TM_Overtime_B_Timer() { Inputs->Loop->OvertimeTick(); }
    void Command_OK3_Click() { Outputs->WriteClick(); }
    void TM_Overtime_C_Timer() { Outputs->WriteReplyTick(); }
    void DO_SHOW_Click(int index) { Outputs->LabelClick(index); }
    void DO_Set_Command_Click(int index) { Outputs->PresetClick(index); }
    void Command_Adj_Click(int index) { Measurements->Command_Adj_Click(index); }
    void Command_Clr_Click() { Measurements->Command_Clr_Click(); }

  protected:
    void LoadWindow() override;
    void ApplyIntervals(const QList<int>& tmLines) override;

  private:
    CombinationModel model_;
};

class ZN410Frm : public CombinationWindow {
  public:
    ZN410Frm() : CombinationWindow(kZN410) {}
};
class ZN420Frm : public CombinationWindow {
  public:
    ZN420Frm() : CombinationWindow(kZN420) {}
};
class ZN430Frm : public CombinationWindow {
  public:
    ZN430Frm() : CombinationWindow(kZN430) {}
};
