#pragma once
// The temperature and analog input windows: the communication panel, the input panel and, where
// the model has ADJ / CLEAR, the write-reply timer. The four models differ only in their row of
// the table in AnalogInputWindow.cpp.
#include "workwindow/WorkWindow.h"
#include "windows/analog/AnalogInputPanel.h"

struct InputModel {
    QString model;  // window title and registry key
    InputChannelTable panel;
    int overtimeLine;  // tm.rc line (from 1) of TM_Overtime_A; TM_Acquisition_A takes line 1
};

class AnalogInputWindow : public WorkWindow {
    Q_OBJECT
  public:
    explicit AnalogInputWindow(const InputModel& model);

    const InputModel& Model() const { return model_; }

    // Handlers by their control names.
    void Command_OK1_Click() { Input->Loop()->Click(); }
    void TM_Acquisition_A_Timer() { Input->Loop()->AcquisitionTick(); }
    void TM_Overtime_A_Timer() { Input->Loop()->OvertimeTick(); }
    void Command_Adj_Click(int index) { Input->Command_Adj_Click(index); }
    void Command_Clr_Click() { Input->Command_Clr_Click(); }
    // The reply to an adjustment or clear: an 8-byte echo; polling resumes after it.
    void TM_Overtime_C_Timer();

    QLabel* Label17;
    AnalogInputPanel* Input;
    VbTimer* TM_Overtime_C = nullptr;  // models without ADJ / CLEAR have none

  protected:
    void ApplyIntervals(const QList<int>& tmLines) override;
    void LoadWindow() override;

  private:
    InputModel model_;
};

class ZN210Frm : public AnalogInputWindow {
  public:
    ZN210Frm();
};
class ZN220Frm : public AnalogInputWindow {
  public:
    ZN220Frm();
};
class ZN260Frm : public AnalogInputWindow {
  public:
    ZN260Frm();
};
class ZN270Frm : public AnalogInputWindow {
  public:
    ZN270Frm();
};
