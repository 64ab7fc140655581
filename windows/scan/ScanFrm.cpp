#include "windows/scan/ScanFrm.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/SerialPort.h"
#include "core/scan/ScanTexts.h"
#include "widgets/CsvSaveDialog.h"

using namespace ScanTexts;

namespace {
QPushButton* MakeButton(const QString& name, QWidget* parent) {
    auto* button = Named(new QPushButton(parent), name);
    button->setMinimumWidth(90);
    return button;
}

QSpinBox* MakeSpin(const QString& name, int low, int high, int value, QWidget* parent) {
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

QTableWidget* MakeTable(const QString& name, QWidget* parent) {
    auto* table = Named(new QTableWidget(parent), name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setMinimumSize(720, 300);
    return table;
}
}  // namespace

ScanFrm::ScanFrm(QWidget* parent) : WorkWindow(parent) {
    TM_Reply = new VbTimer("TM_Reply", this);
    TM_Reply->setTimerType(Qt::PreciseTimer);
    TM_Reply->SetInterval(1);  // looks for the reply's first byte every millisecond
    TM_Batch = new VbTimer("TM_Batch", this);
    connect(TM_Reply, &QTimer::timeout, this, &ScanFrm::TM_Reply_Timer);
    connect(TM_Batch, &QTimer::timeout, this, &ScanFrm::TM_Batch_Timer);

    Tabs = Named(new QTabWidget(this), "Tabs");
    Tabs->addTab(BuildScanPage(), QString());
    Tabs->addTab(BuildBatchPage(), QString());
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Panel(), 0, Qt::AlignTop);
    layout->addWidget(Tabs, 1);
}

ScanFrm::~ScanFrm() = default;

QWidget* ScanFrm::BuildScanPage() {
    auto* page = new QWidget(this);
    Label_From = Named(new QLabel(page), "Label_From");
    Label_To = Named(new QLabel(page), "Label_To");
    Label_Wait = Named(new QLabel(page), "Label_Wait");
    Label_WaitDefault = Named(new QLabel(page), "Label_WaitDefault");
    Scan_From = MakeSpin("Scan_From", ScanPlan::kLowest, ScanPlan::kHighest, 1, page);
    Scan_To = MakeSpin("Scan_To", ScanPlan::kLowest, ScanPlan::kHighest, ScanPlan::kHighest, page);
    Scan_Wait = MakeSpin("Scan_Wait", 0, 5000, 0, page);
    Scan_Wait->setSingleStep(5);
    Scan_AllSettings = Named(new QCheckBox(page), "Scan_AllSettings");
    Command_Scan = MakeButton("Command_Scan", page);
    Scan_Progress = Named(new QProgressBar(page), "Scan_Progress");
    Scan_Progress->setRange(0, 1000);
    Scan_Progress->setTextVisible(false);
    Label_Progress = Named(new QLabel(page), "Label_Progress");
    Scan_Table = MakeTable("Scan_Table", page);
    Command_Copy = MakeButton("Command_Copy", page);
    Command_SaveCsv = MakeButton("Command_SaveCsv", page);
    Command_SaveLines = MakeButton("Command_SaveLines", page);
    Command_SaveLines->setEnabled(false);
    Command_OpenWindow = MakeButton("Command_OpenWindow", page);
    connect(Command_Scan, &QPushButton::clicked, this, &ScanFrm::Command_Scan_Click);
    connect(Command_Copy, &QPushButton::clicked, this, &ScanFrm::Command_Copy_Click);
    connect(Command_SaveCsv, &QPushButton::clicked, this, &ScanFrm::Command_SaveCsv_Click);
    connect(Command_SaveLines, &QPushButton::clicked, this, &ScanFrm::Command_SaveLines_Click);
    connect(Command_OpenWindow, &QPushButton::clicked, this, &ScanFrm::Command_OpenWindow_Click);
    connect(Scan_Table, &QTableWidget::cellDoubleClicked, this, &ScanFrm::Command_OpenWindow_Click);
    connect(Scan_Wait, &QSpinBox::valueChanged, this, &ScanFrm::ShowWaitDefault);
    connect(Scan_AllSettings, &QCheckBox::toggled, this, &ScanFrm::ShowWaitDefault);
    connect(Panel()->Combo2, &QComboBox::currentTextChanged, this, &ScanFrm::ShowWaitDefault);
    connect(Panel()->Combo3, &QComboBox::currentTextChanged, this, &ScanFrm::ShowWaitDefault);

    auto* range = new QHBoxLayout;
    range->addWidget(Label_From);
    range->addWidget(Scan_From);
    range->addWidget(Label_To);
    range->addWidget(Scan_To);
    range->addSpacing(16);
    range->addWidget(Scan_AllSettings);
    range->addStretch(1);
    auto* wait = new QHBoxLayout;
    wait->addWidget(Label_Wait);
    wait->addWidget(Scan_Wait);
    wait->addWidget(Label_WaitDefault, 1);
    wait->addWidget(Command_Scan);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(Command_Copy);
    actions->addWidget(Command_SaveCsv);
    actions->addWidget(Command_SaveLines);
    actions->addWidget(Command_OpenWindow);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(range);
    layout->addLayout(wait);
    layout->addWidget(Scan_Progress);
    layout->addWidget(Label_Progress);
    layout->addWidget(Scan_Table, 1);
    layout->addLayout(actions);
    return page;
}

QWidget* ScanFrm::BuildBatchPage() {
    auto* page = new QWidget(this);
    Label_First = Named(new QLabel(page), "Label_First");
    Label_Step = Named(new QLabel(page), "Label_Step");
    Label_Log = Named(new QLabel(page), "Label_Log");
    Batch_First = MakeSpin("Batch_First", 1, 254, 1, page);
    Batch_Step = MakeSpin("Batch_Step", 1, 100, 1, page);
    Batch_GiveSettings = Named(new QCheckBox(page), "Batch_GiveSettings");
    Batch_Settings = Named(new QComboBox(page), "Batch_Settings");
    Batch_FindAll = Named(new QCheckBox(page), "Batch_FindAll");
    Batch_LogPath = Named(new QLineEdit(page), "Batch_LogPath");
    Batch_Rotate = new RotationChoice(Switches().EnglishUi == 1, page);
    Batch_Rotate->SetRotation(CsvRotationText::Remembered());
    Command_Browse = MakeButton("Command_Browse", page);
    Command_Browse->setMinimumWidth(30);
    Command_Batch = MakeButton("Command_Batch", page);
    Command_Retry = MakeButton("Command_Retry", page);
    Batch_State = Named(new QLabel(page), "Batch_State");
    Batch_State->setAlignment(Qt::AlignCenter);
    Batch_State->setWordWrap(true);
    Batch_State->setMinimumHeight(90);
    QFont big = Batch_State->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    Batch_State->setFont(big);
    Batch_Counter = Named(new QLabel(page), "Batch_Counter");
    Batch_Table = MakeTable("Batch_Table", page);
    connect(Command_Batch, &QPushButton::clicked, this, &ScanFrm::Command_Batch_Click);
    connect(Command_Retry, &QPushButton::clicked, this, &ScanFrm::Command_Retry_Click);
    connect(Command_Browse, &QPushButton::clicked, this, &ScanFrm::Command_Browse_Click);
    connect(Batch_GiveSettings, &QCheckBox::toggled, Batch_Settings, &QWidget::setEnabled);

    auto* grid = new QGridLayout;
    grid->addWidget(Label_First, 0, 0);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(Batch_First);
    numbers->addSpacing(16);
    numbers->addWidget(Label_Step);
    numbers->addWidget(Batch_Step);
    numbers->addStretch(1);
    grid->addLayout(numbers, 0, 1, 1, 3);
    grid->addWidget(Batch_GiveSettings, 1, 0, 1, 2);
    grid->addWidget(Batch_Settings, 1, 2, 1, 2);
    grid->addWidget(Batch_FindAll, 2, 0, 1, 4);
    grid->addWidget(Label_Log, 3, 0);
    auto* logRow = new QHBoxLayout;
    logRow->addWidget(Batch_LogPath, 1);
    logRow->addWidget(Command_Browse);
    grid->addLayout(logRow, 3, 1, 1, 3);
    grid->addWidget(Batch_Rotate, 4, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Batch_Counter, 1);
    buttons->addWidget(Command_Retry);
    buttons->addWidget(Command_Batch);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(Batch_State);
    layout->addWidget(Batch_Table, 1);
    return page;
}

void ScanFrm::LoadWindow() {
    setWindowTitle(Text(Title));
    Tabs->setTabText(0, Text(TabScan));
    Tabs->setTabText(1, Text(TabBatch));
    if (Scanning()) EndScan(false, false);
    if (Batching()) EndBatch(false);
    openAt_.reset();
    LoadScanTexts();
    LoadBatchTexts();
}

void ScanFrm::LoadScanTexts() {
    Label_From->setText(Text(LabelFrom));
    Label_To->setText(Text(LabelTo));
    Label_Wait->setText(Text(LabelWait));
    Scan_Wait->setSpecialValueText(Text(WaitAuto));
    Scan_Wait->setSuffix(QStringLiteral(" ms"));
    Scan_AllSettings->setText(Text(AllSettings));
    Command_Scan->setText(Text(Scan));
    Command_Copy->setText(Text(Copy));
    Command_SaveCsv->setText(Text(ScanTexts::SaveCsv));
    Command_SaveLines->setText(Text(ScanTexts::SaveLines));
    Command_OpenWindow->setText(Text(ScanTexts::OpenWindow));
    Scan_Table->setColumnCount(ScanRows::Columns().size());
    Scan_Table->setHorizontalHeaderLabels(ScanRows::Columns());
    ShowRows();
    Scan_Progress->setValue(0);
    Label_Progress->clear();
    ShowWaitDefault();
}

void ScanFrm::LoadBatchTexts() {
    Label_First->setText(Text(LabelFirst));
    Label_Step->setText(Text(LabelStep));
    Label_Log->setText(Text(LabelLog));
    Batch_GiveSettings->setText(Text(GiveSettings));
    Batch_FindAll->setText(Text(FindAllSettings));
    Command_Browse->setText(Text(Browse));
    Command_Batch->setText(Text(Start));
    Command_Retry->setText(Text(Retry));
    Command_Retry->setEnabled(false);
    const QString kept = Batch_Settings->currentText();
    Batch_Settings->clear();
    Batch_Settings->addItems(ParameterCodes::Entries(Switches().FullSerialLists == 1));
    const int index = Batch_Settings->findText(kept);
    Batch_Settings->setCurrentIndex(
        index >= 0 ? index : Batch_Settings->findText(ParameterCodes::EntryText({9600, 'N'})));
    Batch_Settings->setEnabled(Batch_GiveSettings->isChecked());
    if (Batch_LogPath->text().isEmpty())
        Batch_LogPath->setText(
            QDir::current().absoluteFilePath(QStringLiteral("commissioning.csv")));
    const QStringList columns{Text(LogTime),        Text(LogModel),      Text(LogOldAddress),
                              Text(LogOldSettings), Text(LogNewAddress), Text(LogNewSettings),
                              Text(LogVerified),    Text(LogReason)};
    Batch_Table->setColumnCount(columns.size());
    Batch_Table->setHorizontalHeaderLabels(columns);
    ShowBatchState();
}

void ScanFrm::ShowWaitDefault() {
    if (Scan_AllSettings->isChecked() || Scan_Wait->value() != 0) {
        Label_WaitDefault->clear();
        return;
    }
    const SerialCandidate settings = PanelSettings();
    Label_WaitDefault->setText(
        Text(WaitDefault)
            .arg(ScanTiming::DefaultReplyWaitMs(settings))
            .arg(QStringLiteral("%1,%2").arg(settings.baud).arg(QChar(settings.parity))));
}

SerialCandidate ScanFrm::PanelSettings() {
    const QString parity = Panel()->Combo3->currentText();
    char letter = 'N';
    if (parity == Tt(TextKey::ParityOdd)) letter = 'O';
    if (parity == Tt(TextKey::ParityEven)) letter = 'E';
    return {Panel()->Combo2->currentText().trimmed().toInt(), letter};
}

bool ScanFrm::OpenAt(const SerialCandidate& settings) {
    if (openAt_ && *openAt_ == settings && SerialPort::IsOpen()) return true;
    Panel()->Combo2->setEditText(QString::number(settings.baud));
    Panel()->Combo3->setEditText(ParameterCodes::ParityWord(settings.parity));
    // The work window's re-open: a port that will not open closes the panel, said once.
    ReopenPort();
    if (!SerialPort::IsOpen() || !Panel()->PortOpen()) {
        openAt_.reset();
        return false;
    }
    openAt_ = settings;
    return true;
}

void ScanFrm::RestoreUserSettings(bool reopen) {
    if (!openAt_ || *openAt_ == userSettings_) return;
    if (reopen && Panel()->PortOpen()) {
        OpenAt(userSettings_);
        return;
    }
    Panel()->Combo2->setEditText(QString::number(userSettings_.baud));
    Panel()->Combo3->setEditText(ParameterCodes::ParityWord(userSettings_.parity));
    openAt_.reset();
}

void ScanFrm::StartReplyWait(int waitMs) {
    replyWaitMs_ = waitMs;
    firstByteMs_ = -1;
    sentClock_.start();
    TM_Reply->SetEnabled(true);
}

void ScanFrm::TM_Reply_Timer() {
    const int elapsed = static_cast<int>(sentClock_.elapsed());
    const bool arrived = SerialPort::WaitForInput(0);
    if (!arrived && elapsed < replyWaitMs_ && SerialPort::IsOpen()) return;
    firstByteMs_ = arrived ? elapsed : -1;
    TM_Reply->SetEnabled(false);
    if (Scanning()) return FinishProbe();
    if (Batching()) return FinishBatchExchange();
}

void ScanFrm::StopPolling() {
    // The port is closing: whatever runs ends, keeping what it found.
    if (Scanning()) EndScan(false, false);
    if (Batching()) EndBatch(false);
    TM_Reply->SetEnabled(false);
    TM_Batch->SetEnabled(false);
}

void ScanFrm::closeEvent(QCloseEvent* event) {
    if (Scanning()) EndScan(false, false);
    if (Batching()) EndBatch(false);
    WorkWindow::closeEvent(event);
}

void ScanFrm::Command_Browse_Click() {
    const QString path = AskCsvSavePath(this, Text(LabelLog), Batch_LogPath->text(), Text(CsvFiles),
                                        QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) Batch_LogPath->setText(path);
}
