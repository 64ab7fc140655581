#include "windows/overview/LineOverviewWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "base/Platform.h"
#include "base/Switches.h"
#include "core/overview/OverviewRows.h"
#include "core/modules/PollPlan.h"
#include "core/publish/BrokerFactory.h"
#include "core/publish/PublishChoiceFile.h"
#include "trend/TrendFeed.h"
#include "widgets/Controls.h"
#include "widgets/CsvSaveDialog.h"
#include "widgets/RecordToggle.h"
#include "windows/overview/OverviewEditors.h"
#include "windows/overview/OverviewModel.h"
#include "windows/overview/OverviewTexts.h"

namespace {
using OverviewTexts::Text;

bool English() {
    return Switches().EnglishUi == 1;
}

QPointer<LineOverviewWindow>& TheWindow() {
    static QPointer<LineOverviewWindow> window;
    return window;
}

QPushButton* MakeButton(OverviewTexts::Key key, const QString& name, QWidget* parent) {
    return Named(new QPushButton(Text(key), parent), name);
}

// "readings.csv" → "readings_alarms.csv": the alarm file beside the readings.
QString AlarmPathOf(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("csv") : info.suffix();
    return info.dir().filePath(info.completeBaseName() + "_alarms." + suffix);
}
// The limit an alarm crossed, in the language in use.
QString LimitOf(const LineModule& module, const AlarmEvent& event) {
    const auto limits = module.limits.find(event.channel);
    const ChannelAlarm alarm = event.alarm == "high"  ? ChannelAlarm::High
                               : event.alarm == "low" ? ChannelAlarm::Low
                                                      : ChannelAlarm::None;
    return limits == module.limits.end()
               ? QString()
               : AlarmTracker::LimitText(alarm, limits->second, English());
}
}  // namespace

LineOverviewWindow* LineOverviewWindow::Open() {
    if (!TheWindow()) {
        TheWindow() = new LineOverviewWindow;
        TheWindow()->setAttribute(Qt::WA_QuitOnClose, false);
        if (QFileInfo::exists("lines.json")) TheWindow()->Load("lines.json");
    }
    LineOverviewWindow* window = TheWindow();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

LineOverviewWindow::LineOverviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    NameControl(this, "LineOverviewWindow");
    setWindowTitle(Text(OverviewTexts::Title));
    Command_Open = MakeButton(OverviewTexts::Open, "Command_Open", this);
    Command_Save = MakeButton(OverviewTexts::Save, "Command_Save", this);
    Command_FromScan = MakeButton(OverviewTexts::FromScan, "Command_FromScan", this);
    Command_AddLine = MakeButton(OverviewTexts::AddLine, "Command_AddLine", this);
    Command_EditLine = MakeButton(OverviewTexts::EditLine, "Command_EditLine", this);
    Command_RemoveLine = MakeButton(OverviewTexts::RemoveLine, "Command_RemoveLine", this);
    Command_AddModule = MakeButton(OverviewTexts::AddModule, "Command_AddModule", this);
    Command_EditModule = MakeButton(OverviewTexts::EditModule, "Command_EditModule", this);
    Command_RemoveModule = MakeButton(OverviewTexts::RemoveModule, "Command_RemoveModule", this);
    Command_Start = MakeButton(OverviewTexts::Start, "Command_Start", this);
    Command_ResetCounts = MakeButton(OverviewTexts::ResetCounts, "Command_ResetCounts", this);
    Command_Record = MakeButton(OverviewTexts::Record, "Command_Record", this);
    Command_Record->setCheckable(true);
    Command_Trend = MakeButton(OverviewTexts::Trend, "Command_Trend", this);
    Command_Publish = MakeButton(OverviewTexts::Publish, "Command_Publish", this);
    Command_Publish->setCheckable(true);
    Label_State = Named(new QLabel(this), "Label_State");
    Label_Publish = Named(new QLabel(this), "Label_Publish");
    Label_State->setWordWrap(true);

    model_ = new OverviewModel(this);
    Table_Modules = Named(new QTableView(this), "Table_Modules");
    Table_Modules->setModel(model_);
    Table_Modules->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table_Modules->setSelectionMode(QAbstractItemView::SingleSelection);
    Table_Modules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table_Modules->verticalHeader()->hide();
    Table_Modules->verticalHeader()->setDefaultSectionSize(22);
    Table_Modules->setWordWrap(false);
    QHeaderView* header = Table_Modules->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    const std::map<int, int> widths = {
        {OverviewModel::LineColumn, 90},      {OverviewModel::TagColumn, 80},
        {OverviewModel::AddressColumn, 56},   {OverviewModel::ModelColumn, 60},
        {OverviewModel::ModelReadColumn, 76}, {OverviewModel::StatusColumn, 84},
        {OverviewModel::ReadingsColumn, 420}, {OverviewModel::LastSeenColumn, 76}};
    for (int column = 0; column < OverviewModel::ColumnCount; ++column) {
        const auto width = widths.find(column);
        header->resizeSection(column, width == widths.end() ? 64 : width->second);
    }

    Table_Alarms = Named(new QTableWidget(this), "Table_Alarms");
    Table_Alarms->setColumnCount(static_cast<int>(OverviewTexts::AlarmColumns().size()));
    Table_Alarms->setHorizontalHeaderLabels(OverviewTexts::AlarmColumns());
    Table_Alarms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table_Alarms->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table_Alarms->verticalHeader()->hide();
    Table_Alarms->verticalHeader()->setDefaultSectionSize(22);
    Table_Alarms->horizontalHeader()->setStretchLastSection(true);
    for (int column : {0, 1}) Table_Alarms->setColumnWidth(column, 96);

    auto* fileRow = new QHBoxLayout;
    for (QPushButton* button :
         {Command_Open, Command_Save, Command_FromScan, Command_AddLine, Command_EditLine,
          Command_RemoveLine, Command_AddModule, Command_EditModule, Command_RemoveModule})
        fileRow->addWidget(button);
    fileRow->addStretch(1);
    auto* runRow = new QHBoxLayout;
    for (QPushButton* button :
         {Command_Start, Command_ResetCounts, Command_Record, Command_Trend, Command_Publish})
        runRow->addWidget(button);
    runRow->addWidget(Label_State, 1);
    runRow->addWidget(Label_Publish);
    auto* alarms = new QWidget(this);
    auto* alarmsLayout = new QVBoxLayout(alarms);
    alarmsLayout->setContentsMargins(0, 0, 0, 0);
    alarmsLayout->addWidget(new QLabel(Text(OverviewTexts::Alarms), alarms));
    alarmsLayout->addWidget(Table_Alarms);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(Table_Modules);
    split->addWidget(alarms);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(runRow);
    layout->addWidget(split, 1);
    resize(1280, 860);

    connect(Command_Open, &QPushButton::clicked, this, &LineOverviewWindow::Open_Click);
    connect(Command_Save, &QPushButton::clicked, this, &LineOverviewWindow::Save_Click);
    connect(Command_FromScan, &QPushButton::clicked, this, &LineOverviewWindow::FromScan_Click);
    connect(Command_AddLine, &QPushButton::clicked, this, &LineOverviewWindow::AddLine_Click);
    connect(Command_EditLine, &QPushButton::clicked, this, &LineOverviewWindow::EditLine_Click);
    connect(Command_RemoveLine, &QPushButton::clicked, this, &LineOverviewWindow::RemoveLine_Click);
    connect(Command_AddModule, &QPushButton::clicked, this, &LineOverviewWindow::AddModule_Click);
    connect(Command_EditModule, &QPushButton::clicked, this, &LineOverviewWindow::EditModule_Click);
    connect(Command_RemoveModule, &QPushButton::clicked, this,
            &LineOverviewWindow::RemoveModule_Click);
    connect(Command_Start, &QPushButton::clicked, this, &LineOverviewWindow::Command_Start_Click);
    connect(Command_ResetCounts, &QPushButton::clicked, this,
            &LineOverviewWindow::Command_ResetCounts_Click);
    connect(Command_Trend, &QPushButton::clicked, this, &LineOverviewWindow::Trend_Click);
    FollowRecording(
        Command_Record, [this] { return Recording(); }, [this] { Record_Click(); },
        [this] { StopRecording(); });
    FollowRecording(
        Command_Publish, [this] { return Publishing(); }, [this] { Publish_Click(); },
        [this] { StopPublishing(); });
    connect(Table_Modules, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { HandOver(index.row()); });
    connect(Table_Modules->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LineOverviewWindow::ShowButtons);
    // The program may end with the window open: its workers end first, while all they report to
    // still stands.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (run_) run_->Stop();
            StopRecording();
            StopPublishing();
        });
    SetFile(LineFile{}, QString());
}

LineOverviewWindow::~LineOverviewWindow() {
    if (run_) run_->Stop();
    StopPublishing();
}

void LineOverviewWindow::SetFile(const LineFile& file, const QString& path) {
    if (run_) run_->Stop();
    StopPublishing();  // its topics were the old file's
    run_.reset();
    for (auto& [row, feed] : trends_) delete feed;
    trends_.clear();
    lent_.clear();
    file_ = file;
    path_ = path;
    board_ = std::make_unique<OverviewBoard>(file_);
    model_->SetBoard(board_.get());
    Table_Alarms->setRowCount(0);
    setWindowTitle(path_.isEmpty()
                       ? Text(OverviewTexts::Title)
                       : Text(OverviewTexts::Title) + " - " + QFileInfo(path_).fileName());
    ShowState();
    ShowButtons();
}

void LineOverviewWindow::ShowState(const QString& text) {
    if (!text.isEmpty()) {
        Label_State->setText(text);
        return;
    }
    if (file_.lines.empty()) {
        Label_State->setText(Text(OverviewTexts::NoFile));
        return;
    }
    if (!Running()) {
        Label_State->setText(Text(OverviewTexts::Stopped));
        return;
    }
    int lines = 0, modules = 0;
    for (int line = 0; line < run_->LineCount(); ++line) {
        if (!run_->Running(line)) continue;
        ++lines;
        modules += static_cast<int>(file_.lines[line].modules.size());
    }
    Label_State->setText(Text(OverviewTexts::Running).arg(lines).arg(modules));
}

void LineOverviewWindow::ShowButtons() {
    const bool running = Running() || !lent_.empty();
    const bool chosen = ChosenRow() >= 0;
    for (QPushButton* edit :
         {Command_Open, Command_FromScan, Command_AddLine, Command_EditLine, Command_RemoveLine,
          Command_AddModule, Command_EditModule, Command_RemoveModule})
        edit->setEnabled(!running);
    Command_EditLine->setEnabled(!running && !file_.lines.empty());
    Command_RemoveLine->setEnabled(!running && !file_.lines.empty());
    Command_AddModule->setEnabled(!running && !file_.lines.empty());
    Command_EditModule->setEnabled(!running && chosen);
    Command_RemoveModule->setEnabled(!running && chosen);
    Command_Save->setEnabled(!file_.lines.empty());
    Command_Start->setEnabled(!file_.lines.empty());
    Command_Start->setText(Text(running ? OverviewTexts::Stop : OverviewTexts::Start));
    Command_Trend->setEnabled(chosen);
}

int LineOverviewWindow::ChosenRow() const {
    const QModelIndexList rows = Table_Modules->selectionModel()
                                     ? Table_Modules->selectionModel()->selectedRows()
                                     : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int LineOverviewWindow::ChosenLine() const {
    const int row = ChosenRow();
    if (row >= 0) return board_->ModuleAt(row).first;
    return static_cast<int>(file_.lines.size()) - 1;
}

void LineOverviewWindow::Command_Start_Click() {
    if (Running() || !lent_.empty()) {
        if (run_) run_->Stop();
        lent_.clear();
        ShowState();
        ShowButtons();
        return;
    }
    if (file_.lines.empty()) return;
    if (!run_) {
        run_ = std::make_unique<OverviewRun>(file_);
        connect(run_.get(), &OverviewRun::Reported, this, &LineOverviewWindow::Take);
        connect(run_.get(), &OverviewRun::LineFailed, this, &LineOverviewWindow::LineFailed);
    }
    run_->Start();
    ShowState();
    ShowButtons();
}

void LineOverviewWindow::Command_ResetCounts_Click() {
    if (run_) run_->ResetCounts();
    board_->ResetCounts();
    for (int row = 0; row < board_->RowCount(); ++row) model_->Changed(row);
}

void LineOverviewWindow::Take(const ModuleReport& report) {
    std::vector<AlarmEvent> events;
    std::vector<int> entries;
    const int row = board_->Take(report, &events, &entries);
    model_->Changed(row);
    if (publisher_) publisher_->Report(report);
    // The list shows the board's alarms newest first: the rows raised go on top before the
    // rows cleared are found by their place.
    for (size_t k = 0; k < events.size(); ++k)
        if (events[k].raised && entries[k] >= 0) AddAlarmRow(board_->Alarms()[entries[k]]);
    for (size_t k = 0; k < events.size(); ++k)
        if (!events[k].raised && entries[k] >= 0) ShowAlarmCleared(entries[k]);
    if (const auto trend = trends_.find(row); trend != trends_.end()) {
        if (report.poll.outcome == ModulePoll::Answered && !report.poll.channels.empty()) {
            std::vector<double> values;
            for (const ChannelReading& reading : report.poll.channels)
                values.push_back(reading.value);
            trend->second->Add(values);
        } else if (report.poll.outcome != ModulePoll::Answered) {
            trend->second->AddGap();
        }
    }
    if (!Recording()) return;
    QString error;
    bool written = true;
    for (const QStringList& cells : OverviewRows::RecordRows(file_, report))
        written = written && readings_.Append(Csv::Line(cells), &error);
    for (const AlarmEvent& event : events)
        written = written && alarms_.Append(Csv::Line(AlarmTracker::FileRow(file_, event)), &error);
    if (written) return;
    const QString path = readings_.IsOpen() ? alarms_.Path() : readings_.Path();
    StopRecording();
    ShowState(Text(OverviewTexts::RecordFailed).arg(path, error));
}

void LineOverviewWindow::AddAlarmRow(const AlarmEntry& entry) {
    const AlarmEvent& event = entry.raised;
    const LineModule& module = file_.lines[event.line].modules[event.module];
    const QStringList cells = {QDateTime::fromMSecsSinceEpoch(event.timeMs).toString("HH:mm:ss"),
                               QString(),
                               file_.lines[event.line].name,
                               module.tag,
                               QString::number(module.address),
                               event.channel,
                               OverviewTexts::AlarmText(event.alarm),
                               event.value,
                               LimitOf(module, event)};
    // Newest first, as a technician reads an alarm list; the oldest drop off the end.
    Table_Alarms->insertRow(0);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setForeground(QColor(Qt::red));
        Table_Alarms->setItem(0, column, item);
    }
    if (Table_Alarms->rowCount() > OverviewBoard::kMaxAlarms)
        Table_Alarms->setRowCount(OverviewBoard::kMaxAlarms);
}

void LineOverviewWindow::ShowAlarmCleared(int entry) {
    const int row = static_cast<int>(board_->Alarms().size()) - 1 - entry;
    if (row < 0 || row >= Table_Alarms->rowCount()) return;
    Table_Alarms->item(row, 1)->setText(
        QDateTime::fromMSecsSinceEpoch(board_->Alarms()[entry].clearedMs).toString("HH:mm:ss"));
    for (int column = 0; column < Table_Alarms->columnCount(); ++column)
        Table_Alarms->item(row, column)->setForeground(palette().color(QPalette::Text));
}

void LineOverviewWindow::LineFailed(int line, const QString& why) {
    ShowState(Text(OverviewTexts::LineFailed).arg(file_.lines[line].name, why));
    ShowButtons();
}

void LineOverviewWindow::HandOver(int row) {
    if (row < 0 || row >= board_->RowCount()) return;
    const auto [line, module] = board_->ModuleAt(row);
    const LineOfModules& of = file_.lines[line];
    // The line's device is let go before the window may take it.
    if (run_ && run_->Running(line)) {
        run_->StopLine(line);
        lent_.insert(line);
        ShowState(Text(OverviewTexts::LentOut).arg(of.name));
    }
    ShowButtons();
    emit OpenTestWindow(
        {of.modules[module].model, of.port, of.settings, of.modules[module].address}, line);
}

void LineOverviewWindow::TakeBack(int line) {
    if (!lent_.erase(line)) return;
    if (run_) run_->StartLine(line);
    ShowState();
    ShowButtons();
}

bool LineOverviewWindow::StartRecording(const QString& path, const CsvRotation& rotation) {
    QString error;
    const QString alarmPath = AlarmPathOf(path);
    if (!readings_.Open(path, Csv::Header(OverviewRows::RecordColumns()), rotation, &error)) {
        ShowState(Text(OverviewTexts::RecordFailed).arg(path, error));
        return false;
    }
    if (!alarms_.Open(alarmPath, Csv::Header(AlarmTracker::FileColumns()), rotation, &error)) {
        readings_.Close();
        ShowState(Text(OverviewTexts::RecordFailed).arg(alarmPath, error));
        return false;
    }
    ShowState(Text(OverviewTexts::Recording).arg(readings_.Path(), alarms_.Path()));
    Command_Record->setChecked(true);
    return true;
}

void LineOverviewWindow::StopRecording() {
    readings_.Close();
    alarms_.Close();
    Command_Record->setChecked(false);
}

void LineOverviewWindow::Record_Click() {
    CsvRotation rotation;
    const QString path = AskRecordingPath(
        this, Text(OverviewTexts::Record),
        "overview-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".csv",
        Text(OverviewTexts::CsvFiles), English(), &rotation);
    if (!path.isEmpty()) StartRecording(path, rotation);
}

TrendFeed* LineOverviewWindow::TrendOf(int row) {
    if (const auto known = trends_.find(row); known != trends_.end()) return known->second;
    const auto [line, module] = board_->ModuleAt(row);
    const LineModule& of = file_.lines[line].modules[module];
    const auto plan = PollPlan::Of(of.model);
    if (!plan) return nullptr;
    QString title =
        of.model + " @" + QString::number(of.address) + " (" + file_.lines[line].name + ')';
    if (!of.tag.isEmpty()) title = of.tag + ' ' + title;
    auto* feed = new TrendFeed(this, title, plan->channels);
    feed->Controls()->hide();
    feed->Load();
    trends_[row] = feed;
    return feed;
}

void LineOverviewWindow::Trend_Click() {
    const int row = ChosenRow();
    if (row < 0) return ShowState(Text(OverviewTexts::ChooseModule));
    TrendFeed* feed = TrendOf(row);
    if (!feed) {
        const auto [line, module] = board_->ModuleAt(row);
        return ShowState(Text(OverviewTexts::NoTrend).arg(file_.lines[line].modules[module].model));
    }
    feed->ShowTrend();
}

void LineOverviewWindow::closeEvent(QCloseEvent* event) {
    // Nothing polls behind a closed window, and its files end at their last whole row.
    if (run_) run_->Stop();
    lent_.clear();
    StopRecording();
    ShowState();
    ShowButtons();
    QWidget::closeEvent(event);
}

void LineOverviewWindow::Publish_Click() {
    const std::optional<PublishChoice> choice = EditPublishForm(this, PublishChoiceFile::Read());
    if (!choice) return;
    PublishChoiceFile::Save(*choice);
    StartPublishing(*choice);
}

bool LineOverviewWindow::StartPublishing(const PublishChoice& choice) {
    StopPublishing();
    BrokerSettings settings;
    QString error;
    const QString name = path_.isEmpty() ? QStringLiteral("lines.json") : path_;
    if (!BrokerSettingsOf::Make(choice, file_, name, English(), &settings, &error)) {
        ShowMessage(error);
        return false;
    }
    WatchPublisher::SetWill(&settings);
    broker_ = MakeBroker(settings, English(), &error);
    if (!broker_) {
        ShowMessage(error);
        return false;
    }
    publisher_ = std::make_unique<WatchPublisher>(file_, settings, broker_.get(), English());
    connect(publisher_.get(), &WatchPublisher::Said, Label_Publish, &QLabel::setText);
    Label_Publish->setText(Text(OverviewTexts::Publishing).arg(settings.url, settings.prefix));
    Command_Publish->setChecked(true);
    return true;
}

void LineOverviewWindow::StopPublishing() {
    if (publisher_) publisher_->Finish();
    publisher_.reset();
    broker_.reset();
    Label_Publish->clear();
    Command_Publish->setChecked(false);
}
