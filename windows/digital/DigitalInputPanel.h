#pragma once
// The digital input panel: a Read/Stop poll loop reading 16, 8 or 4 discrete inputs and one ON/OFF
// indicator per input. The digital windows run it as their loop A, the combination windows as
// loop B beside their measurement loop.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <vector>

#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"
#include "trend/TrendFeed.h"
#include "windows/digital/IndicatorLabel.h"

enum class LoopSlot { A, B };

class DigitalInputPanel : public QGroupBox {
    Q_OBJECT
  public:
    // The address list, made by the window under AddressIndex(slot), moves into the panel. The
    // window registers Loop with AddLoop.
    DigitalInputPanel(WorkWindow* window, QComboBox* addressList, int inputs, LoopSlot slot);

    static int AddressIndex(LoopSlot slot) { return slot == LoopSlot::A ? 0 : 1; }

    // Load step: captions, indicators back to their design state "OFF".
    void Load();
    // Paints the indicators from ReceivedText, only while the loop's button shows Stop; one beep
    // per input found ON.
    void ShowDigitalInputs();

    PollLoop* Loop;
    QLabel* Label17;
    QComboBox* AddressList;
    std::vector<QLabel*> Label18;
    std::vector<IndicatorLabel*> DI_SHOW;
    // The inputs over time as 0/1 steps, and their recording (Command_Trend, Command_Record).
    TrendFeed* Trend;

  private:
    WorkWindow* window_;
    int inputs_;
};
