#include "app/MainWindow.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>

#include "base/Platform.h"
#include "base/SettingsFiles.h"
#include "app/StartUp.h"
#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/listen/ListenTexts.h"
#include "app/WorkWindows.h"
#include "workwindow/CommPanel.h"
#include "workwindow/WorkWindow.h"

Main::Main() {
    NameControl(this, "Main");
    Label1 = new QLabel(this);
    NameControl(Label1, "Label1");
    Combo_Model = new QComboBox(this);
    Combo_Model->setEditable(true);
    Combo_Model->setInsertPolicy(QComboBox::NoInsert);
    Combo_Model->setMinimumWidth(160);
    NameControl(Combo_Model, "Combo_Model");
    auto* layout = new QVBoxLayout(this);
    auto* modelRow = new QHBoxLayout;
    modelRow->addWidget(Label1);
    modelRow->addWidget(Combo_Model, 1);
    layout->addLayout(modelRow);
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(this);
        Command1[i]->setMinimumHeight(36);
        NameControl(Command1[i], QStringLiteral("Command1(%1)").arg(i));
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(Command1[i]);
        if (i == 1) {
            Command_Scan = new QPushButton(this);
            Command_Scan->setMinimumHeight(36);
            NameControl(Command_Scan, QStringLiteral("Command_Scan"));
            connect(Command_Scan, &QPushButton::clicked, this, &Main::Command_Scan_Click);
            buttons->addWidget(Command_Scan);
            Command_Listen = new QPushButton(this);
            Command_Listen->setMinimumHeight(36);
            NameControl(Command_Listen, QStringLiteral("Command_Listen"));
            connect(Command_Listen, &QPushButton::clicked, this, &Main::Command_Listen_Click);
            buttons->addWidget(Command_Listen);
            Command_Overview = new QPushButton(this);
            Command_Overview->setMinimumHeight(36);
            NameControl(Command_Overview, QStringLiteral("Command_Overview"));
            connect(Command_Overview, &QPushButton::clicked, this, &Main::Command_Overview_Click);
            buttons->addWidget(Command_Overview);
        }
    }
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

Main::~Main() {
    for (auto& [key, window] : windows_) delete window;
}

void Main::Form_Load() {
    RunStartUp();
    setWindowIcon(QIcon(SettingsFiles::IconPath()));
    Command1[2]->setVisible(RegisterWindowAllowed());
    const bool english = Switches().EnglishUi == 1;
    Combo_Model->clear();
    for (const QString& model : ModelNames()) {
        // ZN210 is opened only by typing it; the English list also leaves out ZN430.
        if (model == "ZN210" || (english && model == "ZN430")) continue;
        Combo_Model->addItem(model);
    }
    Combo_Model->setCurrentIndex(-1);
    Combo_Model->setEditText(QStringLiteral("Combo_Model"));
    Command1[0]->setText(english ? "Function Testing" : "功能调试");
    Command1[1]->setText(english ? "Parameter Setting" : "参数设置");
    Command1[2]->setText(english ? "Register RD/WR" : "寄存器读写");
    Command_Scan->setText(english ? "Bus Scan" : "总线扫描");
    Command_Listen->setText(ListenTexts::Text(ListenTexts::Button, english));
    Command_Overview->setText(english ? "Line Overview" : "线路总览");
    setWindowTitle(english ? "ORMELIX Debugging Software_V1.42S" : "ORMELIX模块调试软件_V1.42S");
    Label1->setText(Tt(TextKey::LabelModelSelect));
}

void Main::Command1_Click(int index) {
    if (index == 1) return OpenWorkWindow("SetFrm");
    if (index == 2) return OpenWorkWindow("SysFrm");
    const QString model = Combo_Model->currentText();
    if (!ModelNames().contains(model)) return ShowMessage(Tt(TextKey::MsgSelectModel));
    OpenWorkWindow(model);
}

WorkWindow* Main::Window(const QString& key) {
    auto known = windows_.find(key);
    if (known != windows_.end()) return known->second;
    const auto& factories = WorkWindowFactories();
    auto factory = factories.find(key);
    if (factory == factories.end()) return nullptr;
    WorkWindow* window = factory->second();
    connect(window, &WorkWindow::Closed, this, &QWidget::show);
    ConnectScanWindow(window);
    windows_[key] = window;
    return window;
}

void Main::OpenWorkWindow(const QString& key) {
    WorkWindow* window = Window(key);
    if (!window) return;
    hide();
    window->OpenWindow();
}
