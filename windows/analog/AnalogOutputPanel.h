#pragma once
// The analog output panel (Frame6): one scroll bar per output holding its value in µA or mV, the
// value shown beside it, and the Write button that sends every output of the module at once.
// Nothing is sent while a bar moves. The reply is the window's business (its TM_Overtime_B).
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <vector>

#include "workwindow/VbTimer.h"
#include "workwindow/WorkWindow.h"

struct OutputTable {
    int channels = 1;  // 1: one register written with function 6; 3: function 16
    int minimum = 0;   // bar range and design value, in µA or mV
    int maximum = 0;
    int designValue = 0;
    QString unit{};          // Label_mA: "mA" or "V"
    QStringList rowNames{};  // Label16(1..3), one per output when there are several
};

class AnalogOutputPanel : public QGroupBox {
    Q_OBJECT
  public:
    // Requests take their address from Combo_Addr(`addressIndex`) and arm `replyTimer`.
    AnalogOutputPanel(WorkWindow* window, OutputTable table, int addressIndex, VbTimer* replyTimer);

    const OutputTable& Table() const { return table_; }

    // Load step: caption, bars at their design values, value labels to match.
    void Load();
    void HScroll1_Change(int index);
    void Command_OK2_Click();

    std::vector<QScrollBar*> HScroll1;
    std::vector<QLabel*> Label_I;
    std::vector<QLabel*> Label_mA;
    std::vector<QLabel*> Label16;  // row names, Label16(1..3)
    QPushButton* Command_OK2;

  private:
    WorkWindow* window_;
    OutputTable table_;
    int addressIndex_;
    VbTimer* replyTimer_;
};
