#pragma once
// The main window: model choice and the three buttons that open the work windows.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <map>

class WorkWindow;

class Main : public QWidget {
    Q_OBJECT
  public:
    Main();
    ~Main() override;

    // Start-up: switches, text table, captions, model list, settings files rewritten.
    void Form_Load();
    void Command1_Click(int index);

    // The work window of a key, created on first use and re-used afterwards.
    WorkWindow* Window(const QString& key);

    QLabel* Label1;
    QComboBox* Combo_Model;
    std::array<QPushButton*, 3> Command1;

  private:
    void OpenWorkWindow(const QString& key);
    std::map<QString, WorkWindow*> windows_;
};
