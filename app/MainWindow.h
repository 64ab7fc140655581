#pragma once
// The main window: model choice and the three buttons that open the work windows.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <map>

class WorkWindow;
struct WorkTarget;
using ScanTarget = WorkTarget;

class Main : public QWidget {
    Q_OBJECT
  public:
    Main();
    ~Main() override;

    // Start-up: switches, text table, captions, model list, settings files rewritten.
    void Form_Load();
    void Command1_Click(int index);
    // Opens the bus scan window (beside the parameter-setting button, at every service level).
    void Command_Scan_Click();
    // Opens the listen-only window (beside Bus Scan): a bus another master drives, watched.
    void Command_Listen_Click();
    // Opens the line overview (beside Listen Only): whole lines polled at once.
    void Command_Overview_Click();
    // Opens a model's test window from a scan row, its panel set to the row's port, settings
    // and address.
    void OpenFromScan(const ScanTarget& target);
    // The same for a module of the line overview, whose `line` it takes back when the test
    // window closes.
    void OpenFromOverview(const ScanTarget& target, int line);

    // The work window of a key, created on first use and re-used afterwards.
    WorkWindow* Window(const QString& key);

    QLabel* Label1;
    QComboBox* Combo_Model;
    std::array<QPushButton*, 3> Command1;
    QPushButton* Command_Scan;
    QPushButton* Command_Listen;
    QPushButton* Command_Overview;

  private:
    void OpenWorkWindow(const QString& key);
    // A scan window's rows open test windows through this main window.
    void ConnectScanWindow(WorkWindow* window);
    std::map<QString, WorkWindow*> windows_;
};
