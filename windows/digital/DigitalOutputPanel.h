#pragma once
// The digital/relay output panel: one clickable ON/OFF label per output, four presets shown in the
// service modes, and a Write button sending all outputs in one multiple-coil request. A write
// pauses the window's running poll loop and its confirmation resumes it.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "base/TextTable.h"
#include "workwindow/VbTimer.h"
#include "workwindow/WorkWindow.h"
#include "windows/digital/IndicatorLabel.h"

struct OutputPanelSpec {
    int outputs;           // 4, 8 or 16
    QString namePrefix;    // "RY_" for relays, "DO_" for digital outputs
    TextKey frameCaption;  // FrameRelayOutput or FrameDigitalOutput
};

// The controls the panel writes with: Command_OK2, TM_Overtime_B and Combo_Addr(1) in the digital
// windows; Command_OK3, TM_Overtime_C and Combo_Addr(2) in the combination windows.
enum class WriteSlot { B, C };

class DigitalOutputPanel : public QGroupBox {
    Q_OBJECT
  public:
    // The address list, made by the window under AddressIndex(slot), moves into the panel.
    DigitalOutputPanel(WorkWindow* window, QComboBox* addressList, const OutputPanelSpec& spec,
                       WriteSlot slot);

    static int AddressIndex(WriteSlot slot) { return slot == WriteSlot::B ? 1 : 2; }

    // Load step: captions, outputs back to "OFF", presets shown only in the service modes.
    void Load();

    void LabelClick(int index);   // DO_SHOW_Click: flips one label, sends nothing
    void PresetClick(int index);  // DO_Set_Command_Click: the pattern, then Write
    void WriteClick();            // Command_OK2_Click / Command_OK3_Click
    void WriteReplyTick();        // TM_Overtime_B_Timer / TM_Overtime_C_Timer

    // Which outputs read "ON".
    std::vector<bool> States() const;

    QPushButton* WriteButton;
    VbTimer* Overtime;
    QLabel* Label16;
    QComboBox* AddressList;
    std::vector<QLabel*> Label15;
    std::vector<IndicatorLabel*> DO_SHOW;
    std::vector<QPushButton*> DO_Set_Command;

  private:
    WorkWindow* window_;
    OutputPanelSpec spec_;
    int addressIndex_;
};
