#pragma once
// The parameter-setting window: finds a module's serial settings by trying the candidates in turn
// with a broadcast read, shows its address, parameters and model, and changes its address and its
// baud rate and parity.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <functional>
#include <optional>

#include "workwindow/VbTimer.h"
#include "workwindow/WorkWindow.h"

class SetFrm : public WorkWindow {
    Q_OBJECT
  public:
    explicit SetFrm(QWidget* parent = nullptr);

    // Candidates sent so far in the current search; kept while the window is closed.
    int SearchStep = 0;

    QGroupBox *Frame7, *Frame2, *Frame3;
    QPushButton *Command_OK1, *Command_OK2, *Command_OK3;
    std::array<QPushButton*, 3> Explain;
    QPlainTextEdit* Text_Parameter;
    QLabel *Label6, *Label7, *Label8;
    QComboBox* Combo_Baud;
    VbTimer *TM_Acquisition_A, *TM_Overtime_A, *TM_Overtime_B;

    void Command_OK1_Click();
    void Command_OK2_Click();
    void Command_OK3_Click();
    void Explain_Click(int index);
    void TM_Acquisition_A_Timer();
    void TM_Overtime_A_Timer();
    void TM_Overtime_B_Timer();
    void SendParameterRead();
    void ShowModuleParameters();
    void ReopenPort() override;

    bool Searching() const;

  protected:
    void LoadWindow() override;
    bool ReadsTmRc() const override { return false; }
    void StopPolling() override;

  private:
    QGroupBox* BuildReadFrame();
    QGroupBox* BuildAddressFrame();
    QGroupBox* BuildParameterFrame();
    // Read button back to Read and no further step; SearchStep is the caller's business.
    void EndSearch();
    // Opens the port named in the panel with a candidate's settings, showing them in the lists.
    bool OpenCandidate(int step);
    // Sends a change request after the checks every change makes; `request` gives nothing for a
    // change it refuses.
    void SendChange(int addressIndex,
                    const std::function<std::optional<Frame>(uint8_t address)>& request);
};
