#pragma once
// The output calibration panel (Frame2) of the three-channel output modules: six preset buttons
// that set and send all outputs, the read of the six calibration values (low point then high
// point of each channel), a fine trim bar per value with its own Write button, start values and a
// reset. Its requests are answered through the window's TM_Overtime_B like the output writes.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <functional>
#include <optional>
#include <vector>

#include "windows/analog/AnalogOutputPanel.h"

// A trim bar's range and design value.
struct TrimRange {
    int minimum;
    int maximum;
    int designValue;
};

struct CalibrationTable {
    QStringList presetCaptions;  // Command_OK3(0..5)
    std::vector<int> presetValues;
    QString lowFrameCaption;   // Frame4
    QString highFrameCaption;  // Frame5
    TrimRange low;             // HScroll2(0..2)
    TrimRange high;            // HScroll2(3..5)
    // Command_4 puts a low point here; without it the low rows carry plain names (Label16(4..6)).
    std::optional<int> lowStartValue{};
};

class CalibrationPanel : public QGroupBox {
    Q_OBJECT
  public:
    CalibrationPanel(WorkWindow* window, CalibrationTable table, AnalogOutputPanel* outputs,
                     int addressIndex, VbTimer* replyTimer);

    // Load step: bars at their design values, labels to match, write buttons hidden; the panel is
    // in view only in the service modes.
    void Load();

    void Command_OK3_Click(int index);  // preset
    void Command_OK4_Click();           // read the calibration values
    // Decodes an accepted calibration read in the window's ReceivedText.
    void ShowCalibration();
    // After the first accepted read; they stay until the window closes.
    void ShowWriteButtons();
    void HScroll2_Change(int index);
    void Command_CAL_Click(int index);
    void Command_4_Click(int index);
    void Command_20_Click(int index);
    void Command_CLR_Click();

    std::vector<QPushButton*> Command_OK3;
    QPushButton* Command_OK4;
    QPushButton* Command_CLR;
    QGroupBox* Frame4;
    QGroupBox* Frame5;
    std::vector<QScrollBar*> HScroll2;
    std::vector<QLabel*> Label_CAL;
    std::vector<QPushButton*> Command_CAL;
    std::vector<QPushButton*> Command_4;  // empty when the model has plain row names
    std::vector<QLabel*> Label16;         // Label16(4..6), in place of Command_4
    std::vector<QPushButton*> Command_20;

  private:
    // Puts bar `index` to `value` and shows it, even when the bar already stood there.
    void SetTrim(int index, int value);
    // The value Write sends for `index`, shown in its label.
    void ShowValue(int index, int value);
    void Send(const std::function<Frame(uint8_t)>& request);

    WorkWindow* window_;
    CalibrationTable table_;
    AnalogOutputPanel* outputs_;
    int addressIndex_;
    VbTimer* replyTimer_;
    // What each label shows: the bar's value, or a module's value the bar cannot hold.
    std::vector<int> values_ = std::vector<int>(6, 0);
};
