#pragma once
// The listen-only window: a bus another master drives, watched at chosen line settings with not a
// byte sent. Heard frames fill a traffic panel (filters, pause, copy, CSV as in the monitor);
// beneath it, a table per module. Thin over core/listen/ListenSession.
#include <QWidget>

#include "core/listen/ListenSession.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TrafficPanel;

class ListenWindow : public QWidget {
    Q_OBJECT
  public:
    // Shows the one listen window (made at the first call), raised.
    static ListenWindow* Open();

    explicit ListenWindow(QWidget* parent = nullptr);

    ListenSession& Session() { return session_; }
    TrafficPanel* Panel() const { return panel_; }
    QComboBox* Combo_Line;
    QComboBox* Combo_Baud;
    QComboBox* Combo_Parity;
    QComboBox* Combo_Stop;
    QDoubleSpinBox* Spin_Tolerance;
    QSpinBox* Spin_Late;
    QSpinBox* Spin_NoReply;
    QPushButton* Command_Listen;
    QLabel* Label_State;
    QTableWidget* Table_Modules;

    // Starts listening at the chosen line and settings, or stops.
    void Command_Listen_Click();
    // The module table as the tally stands now.
    void ShowModules();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QString Settings() const;
    ListenLimits Limits() const;
    void ShowState(bool active);

    ListenSession session_;
    TrafficPanel* panel_;
};
