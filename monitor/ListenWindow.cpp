#include "monitor/ListenWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/Switches.h"
#include "core/listen/ListenTexts.h"
#include "core/line/PortDiscovery.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficPanel.h"
#include "widgets/Controls.h"

namespace {
bool English() {
    return Switches().EnglishUi == 1;
}

QString Text(ListenTexts::Key key) {
    return ListenTexts::Text(key, English());
}

QLabel* Caption(ListenTexts::Key key, QWidget* parent) {
    return new QLabel(Text(key), parent);
}

QPointer<ListenWindow>& TheWindow() {
    static QPointer<ListenWindow> window;
    return window;
}
}  // namespace

ListenWindow* ListenWindow::Open() {
    if (!TheWindow()) {
        TheWindow() = new ListenWindow;
        TheWindow()->setAttribute(Qt::WA_QuitOnClose, false);
    }
    ListenWindow* window = TheWindow();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

ListenWindow::ListenWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    NameControl(this, "ListenWindow");
    setWindowTitle(Text(ListenTexts::Title));

    Combo_Line = Named(new QComboBox(this), "Combo_Line");
    Combo_Line->setEditable(true);
    Combo_Line->setMinimumWidth(220);
    for (const PortEntry& entry : PortDiscovery::Entries(PortDiscovery::Discover()))
        Combo_Line->addItem(entry.text);
    Combo_Baud = Named(new QComboBox(this), "Combo_Baud");
    for (int baud : {1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200})
        Combo_Baud->addItem(QString::number(baud));
    Combo_Baud->setCurrentText("9600");
    Combo_Parity = Named(new QComboBox(this), "Combo_Parity");
    Combo_Parity->addItems({"N", "O", "E"});
    Combo_Stop = Named(new QComboBox(this), "Combo_Stop");
    Combo_Stop->addItems({"1", "2"});
    Spin_Tolerance = Named(new QDoubleSpinBox(this), "Spin_Tolerance");
    Spin_Tolerance->setRange(1.0, 50.0);
    Spin_Tolerance->setSingleStep(0.5);
    Spin_Tolerance->setValue(ListenSession::kDefaultTolerance);
    Spin_Late = Named(new QSpinBox(this), "Spin_Late");
    Spin_Late->setRange(1, 60000);
    Spin_Late->setValue(ListenLimits{}.lateMs);
    Spin_NoReply = Named(new QSpinBox(this), "Spin_NoReply");
    Spin_NoReply->setRange(10, 60000);
    Spin_NoReply->setValue(ListenLimits{}.noReplyMs);
    Command_Listen = Named(new QPushButton(Text(ListenTexts::Start), this), "Command_Listen");
    Label_State = Named(new QLabel(Text(ListenTexts::Stopped), this), "Label_State");

    auto* line = new QGridLayout;
    line->addWidget(Caption(ListenTexts::Port, this), 0, 0);
    line->addWidget(Combo_Line, 0, 1, 1, 3);
    line->addWidget(Caption(ListenTexts::Settings, this), 0, 4);
    auto* settings = new QHBoxLayout;
    settings->addWidget(Combo_Baud);
    settings->addWidget(Combo_Parity);
    settings->addWidget(new QLabel("8", this));
    settings->addWidget(Combo_Stop);
    line->addLayout(settings, 0, 5);
    line->addWidget(Command_Listen, 0, 6);
    line->setColumnStretch(1, 1);
    auto* judging = new QHBoxLayout;
    judging->addWidget(Caption(ListenTexts::Tolerance, this));
    judging->addWidget(Spin_Tolerance);
    judging->addSpacing(16);
    judging->addWidget(Caption(ListenTexts::LateAfter, this));
    judging->addWidget(Spin_Late);
    judging->addSpacing(16);
    judging->addWidget(Caption(ListenTexts::NoReplyAfter, this));
    judging->addWidget(Spin_NoReply);
    judging->addStretch(1);

    panel_ = new TrafficPanel(session_.Log(), this);
    Table_Modules = Named(new QTableWidget(this), "Table_Modules");
    Table_Modules->setColumnCount(static_cast<int>(ModuleStats::Columns(English()).size()));
    Table_Modules->setHorizontalHeaderLabels(ModuleStats::Columns(English()));
    Table_Modules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table_Modules->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table_Modules->verticalHeader()->hide();
    Table_Modules->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* modules = new QWidget(this);
    auto* modulesLayout = new QVBoxLayout(modules);
    modulesLayout->setContentsMargins(0, 0, 0, 0);
    modulesLayout->addWidget(Caption(ListenTexts::Modules, modules));
    modulesLayout->addWidget(Table_Modules);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(panel_);
    split->addWidget(modules);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(line);
    layout->addLayout(judging);
    layout->addWidget(Label_State);
    layout->addWidget(split, 1);
    resize(std::max(panel_->WholeWidth() + 24, sizeHint().width()), 680);

    connect(Command_Listen, &QPushButton::clicked, this, &ListenWindow::Command_Listen_Click);
    connect(Spin_Tolerance, &QDoubleSpinBox::valueChanged, &session_, &ListenSession::SetTolerance);
    connect(Spin_Late, &QSpinBox::valueChanged, this, [this] { session_.SetLimits(Limits()); });
    connect(Spin_NoReply, &QSpinBox::valueChanged, this, [this] { session_.SetLimits(Limits()); });
    connect(panel_->ClearButton, &QPushButton::clicked, this, [this] {
        session_.Stats().Clear();
        ShowModules();
    });
    // The tally follows the table: both at the panel's pace, a few times a second at most.
    connect(panel_->Model(), &TrafficModel::Flushed, this, &ListenWindow::ShowModules);
    connect(&session_, &ListenSession::ActiveChanged, this, &ListenWindow::ShowState);
}

QString ListenWindow::Settings() const {
    return QStringLiteral("%1,%2,8,%3")
        .arg(Combo_Baud->currentText(), Combo_Parity->currentText(), Combo_Stop->currentText());
}

ListenLimits ListenWindow::Limits() const {
    return {Spin_Late->value(), Spin_NoReply->value()};
}

void ListenWindow::Command_Listen_Click() {
    if (session_.Active()) return session_.Stop();
    const QString line = PortDiscovery::DeviceOfText(Combo_Line->currentText().trimmed());
    session_.Start(line, Settings(), Spin_Tolerance->value(), Limits());
}

void ListenWindow::ShowState(bool active) {
    Command_Listen->setText(Text(active ? ListenTexts::Stop : ListenTexts::Start));
    for (QWidget* w :
         std::initializer_list<QWidget*>{Combo_Line, Combo_Baud, Combo_Parity, Combo_Stop})
        w->setEnabled(!active);
    Label_State->setText(
        active ? Text(ListenTexts::Listening)
                     .arg(PortDiscovery::DeviceOfText(Combo_Line->currentText()), Settings())
               : Text(ListenTexts::Stopped));
    ShowModules();
}

void ListenWindow::ShowModules() {
    const auto& modules = session_.Stats().Modules();
    Table_Modules->setRowCount(static_cast<int>(modules.size()));
    for (int row = 0; row < static_cast<int>(modules.size()); ++row) {
        const ModuleTally& module = modules[row];
        const bool failing =
            module.noReplies + module.badCrcs + module.exceptions + module.otherFaults > 0;
        const QStringList cells = ModuleStats::Cells(module, English());
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = Table_Modules->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                Table_Modules->setItem(row, column, item);
            }
            item->setText(cells[column]);
            item->setForeground(failing ? QColor(190, 0, 0) : QColor(Qt::black));
        }
    }
}

void ListenWindow::closeEvent(QCloseEvent* event) {
    // The port goes with the window: a closed window listens to nothing.
    session_.Stop();
    QWidget::closeEvent(event);
}
