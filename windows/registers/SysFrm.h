#pragma once
// The register read/write window: continuous reading of one register group, writing one
// register, and in service level 4 sending a frame typed in hexadecimal.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "workwindow/PollLoop.h"
#include "workwindow/WorkWindow.h"
#include "windows/registers/TypedFrame.h"

class SysFrm : public WorkWindow {
    Q_OBJECT
  public:
    SysFrm();

    // Block requested by the last poll; kept when Combo_Sel holds a text of the user's own.
    int GroupStart = 0;
    int GroupCount = 0;

    void Command_OK1_Click() { loopA_->Click(); }
    void TM_Acquisition_A_Timer() { loopA_->AcquisitionTick(); }
    void TM_Overtime_A_Timer() { loopA_->OvertimeTick(); }
    void ShowRegisterValues();
    void Command_OK2_Click();
    void TM_Overtime_C_Timer();
    void Command_OK3_Click();
    void TM_Overtime_ADJ_Timer();

    QGroupBox* Frame7;
    QLabel* Label17;
    QComboBox* Combo_Sel;
    QPushButton* Command_OK1;
    QPlainTextEdit* Text_Read;
    VbTimer* TM_Acquisition_A;
    VbTimer* TM_Overtime_A;

    QGroupBox* Frame2;
    QLabel *Label10, *Label9, *Label8;
    QLineEdit *Text_REGWR, *Text_WR;
    QPushButton* Command_OK2;
    QPushButton* Command_OK3;
    VbTimer* TM_Overtime_C;
    VbTimer* TM_Overtime_ADJ;

  protected:
    void ApplyIntervals(const QList<int>& tmLines) override;
    void LoadWindow() override;

  private:
    void BuildLayout();
    // GroupStart and GroupCount from the entry Combo_Sel shows.
    void LookUpGroup();
    // Names the character of a typed frame that is out of place and where it stands.
    QString BadCharacterMessage(const TypedFrame& frame) const;

    PollLoop* loopA_;
};
