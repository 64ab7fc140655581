#pragma once
// The analog output windows: the communication panel with the address list Combo_Addr(1), the
// output panel and, on the three-channel models, the calibration panel. Every request of the
// window is answered through TM_Overtime_B. The three models differ only in their row of the
// table in AnalogOutputWindow.cpp.
#include <optional>

#include "workwindow/WorkWindow.h"
#include "windows/analog/AnalogOutputPanel.h"
#include "windows/analog/CalibrationPanel.h"

struct OutputModel {
    QString model;  // window title and registry key
    OutputTable outputs;
    std::optional<CalibrationTable> calibration{};
};

class AnalogOutputWindow : public WorkWindow {
    Q_OBJECT
  public:
    explicit AnalogOutputWindow(const OutputModel& model);

    // Handlers by their control names.
    void HScroll1_Change(int index) { Output->HScroll1_Change(index); }
    void Command_OK2_Click() { Output->Command_OK2_Click(); }
    // The reply to any request: the 8-byte confirmation of a write, or (with calibration) the
    // 17-byte calibration read, whatever was sent.
    void TM_Overtime_B_Timer();

    QLabel* Label16;  // Label16(0): the address label
    AnalogOutputPanel* Output;
    CalibrationPanel* Calibration = nullptr;
    VbTimer* TM_Overtime_B;

  protected:
    void ApplyIntervals(const QList<int>& tmLines) override;
    void LoadWindow() override;

  private:
    OutputModel model_;
};

class ZN230Frm : public AnalogOutputWindow {
  public:
    ZN230Frm();
};
class ZN240Frm : public AnalogOutputWindow {
  public:
    ZN240Frm();
};
class ZN250Frm : public AnalogOutputWindow {
  public:
    ZN250Frm();
};
