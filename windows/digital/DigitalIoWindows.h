#pragma once
// The digital input and output windows: ZN330 (inputs), ZN320 and ZN340 (outputs), ZN310 and
// ZN350 (both). One window class, composed from the two panels as the module's row says.
#include "workwindow/WorkWindow.h"
#include "core/modules/DigitalCodec.h"
#include "windows/digital/DigitalInputPanel.h"
#include "windows/digital/DigitalOutputPanel.h"

struct DigitalModel {
    const char* model;
    int inputs;               // 0: no input panel
    int outputs;              // 0: no output panel
    const char* outputNames;  // prefix of the output names
    TextKey outputFrame;
};

// clang-format off
// The input count is the codec's, which the command line polls by too.
//                                   model    inputs                               outputs names  output frame
inline constexpr DigitalModel kZN310{"ZN310", DigitalCodec::InputCountOf("ZN310"),  4,     "RY_", TextKey::FrameRelayOutput};
inline constexpr DigitalModel kZN320{"ZN320", DigitalCodec::InputCountOf("ZN320"),  8,     "RY_", TextKey::FrameRelayOutput};
inline constexpr DigitalModel kZN330{"ZN330", DigitalCodec::InputCountOf("ZN330"),  0,     "",    TextKey::FrameDigitalOutput};  // no outputs
inline constexpr DigitalModel kZN340{"ZN340", DigitalCodec::InputCountOf("ZN340"), 16,     "DO_", TextKey::FrameDigitalOutput};
inline constexpr DigitalModel kZN350{"ZN350", DigitalCodec::InputCountOf("ZN350"),  8,     "DO_", TextKey::FrameDigitalOutput};
// clang-format on

class DigitalIoWindow : public WorkWindow {
    Q_OBJECT
  public:
    explicit DigitalIoWindow(const DigitalModel& model);

    // Input panel (loop A, Combo_Addr(0)); null in the output-only windows.
    DigitalInputPanel* Inputs = nullptr;
    // Output panel (Command_OK2, TM_Overtime_B, Combo_Addr(1)); null in ZN330.
    DigitalOutputPanel* Outputs = nullptr;

    // The handlers by their control names.
    void Command_OK1_Click() { Inputs->Loop->Click(); }
    void TM_Acquisition_A_Timer() { Inputs->Loop->AcquisitionTick(); }
    void TM_Overtime_A_Timer() { Inputs->Loop->OvertimeTick(); }
    void Command_OK2_Click() { Outputs->WriteClick(); }
    void TM_Overtime_B_Timer() { Outputs->WriteReplyTick(); }
    void DO_SHOW_Click(int index) { Outputs->LabelClick(index); }
    void DO_Set_Command_Click(int index) { Outputs->PresetClick(index); }

  protected:
    void LoadWindow() override;
    // tm.rc: line 1 poll period, line 2 input reply wait, line 3 write confirmation wait.
    void ApplyIntervals(const QList<int>& tmLines) override;

  private:
    DigitalModel model_;
};

class ZN310Frm : public DigitalIoWindow {
  public:
    ZN310Frm() : DigitalIoWindow(kZN310) {}
};
class ZN320Frm : public DigitalIoWindow {
  public:
    ZN320Frm() : DigitalIoWindow(kZN320) {}
};
class ZN330Frm : public DigitalIoWindow {
  public:
    ZN330Frm() : DigitalIoWindow(kZN330) {}
};
class ZN340Frm : public DigitalIoWindow {
  public:
    ZN340Frm() : DigitalIoWindow(kZN340) {}
};
class ZN350Frm : public DigitalIoWindow {
  public:
    ZN350Frm() : DigitalIoWindow(kZN350) {}
};
