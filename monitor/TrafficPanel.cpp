#include "monitor/TrafficPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "widgets/Controls.h"
#include "widgets/CsvSaveDialog.h"
#include "widgets/RecordToggle.h"
#include "core/traffic/TrafficCsv.h"
#include "monitor/TrafficColumns.h"
#include "monitor/TrafficDelegate.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficTable.h"
#include "core/traffic/TrafficTexts.h"

namespace {
bool English() {
    return Switches().EnglishUi == 1;
}

QString Ui(TrafficTexts::Ui key) {
    return TrafficTexts::UiText(key, English());
}
}  // namespace

TrafficPanel::TrafficPanel(TrafficLog& log, QWidget* parent) : QWidget(parent), log_(log) {
    model_ = new TrafficModel(log, this);

    FaultsOnly = Named(new QCheckBox(Ui(TrafficTexts::RejectedOnly), this), "Check_Rejected");
    PauseButton = Named(new QPushButton(Ui(TrafficTexts::Pause), this), "Command_Pause");
    PauseButton->setCheckable(true);
    ClearButton = Named(new QPushButton(Ui(TrafficTexts::Clear), this), "Command_Clear");
    CopyButton = Named(new QPushButton(Ui(TrafficTexts::Copy), this), "Command_Copy");
    SaveButton = Named(new QPushButton(Ui(TrafficTexts::SaveCsv), this), "Command_Save");
    RecordButton = Named(new QPushButton(Ui(TrafficTexts::Record), this), "Command_Record");

    table_ = Named(new TrafficTable(this), "Table_Traffic");
    table_->setModel(model_);
    table_->setItemDelegate(new TrafficDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // Bands instead of a grid (the grid's lines were a fifth of what a refresh painted), painted
    // by the cells: a band is an exchange, not every other row, so a row keeps it while older
    // rows leave the top.
    table_->setShowGrid(false);
    QHeaderView* header = table_->horizontalHeader();
    header->setStretchLastSection(true);
    const TrafficColumns::Widths widths =
        TrafficColumns::Default(table_->font(), QFontDatabase::systemFont(QFontDatabase::FixedFont),
                                TrafficDelegate::kPadding);
    int tableWidth = 2 * table_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < TrafficTexts::ColumnCount; ++column) {
        const int width = std::max(widths[column], header->sectionSizeHint(column));
        table_->setColumnWidth(column, width);
        tableWidth += width;
    }

    // Changes at every refresh: one line that never asks for a new layout.
    SummaryLabel = Named(new TextLine(this), "Label_Summary");
    NoteLabel = Named(new QLabel(this), "Label_Note");
    NoteLabel->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{FaultsOnly, PauseButton, ClearButton,
                                                      CopyButton, SaveButton, RecordButton})
        buttons->addWidget(w);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(SummaryLabel);
    layout->addWidget(NoteLabel);
    wholeWidth_ = std::max(tableWidth, sizeHint().width());

    connect(FaultsOnly, &QCheckBox::toggled, model_, &TrafficModel::SetFaultsOnly);
    connect(PauseButton, &QPushButton::toggled, model_, &TrafficModel::SetPaused);
    connect(ClearButton, &QPushButton::clicked, &log, &TrafficLog::Clear);
    connect(CopyButton, &QPushButton::clicked, this, &TrafficPanel::CopySelection);
    connect(SaveButton, &QPushButton::clicked, this, &TrafficPanel::SaveClicked);
    FollowRecording(
        RecordButton, [this] { return log_.Recording(); }, [this] { AskAndRecord(); },
        [this] { RecordTo(QString()); });
    auto* copy = new QShortcut(QKeySequence::Copy, table_);
    connect(copy, &QShortcut::activated, this, &TrafficPanel::CopySelection);

    connect(model_, &TrafficModel::Flushed, this, &TrafficPanel::ShowSummary);
    connect(&log, &TrafficLog::RecordingChanged, this, &TrafficPanel::ShowRecording);
    connect(&log, &TrafficLog::RecordingFailed, this, &TrafficPanel::ShowRecordingFailure);
    // New rows keep the view at the bottom only when it was there: reading older rows is not
    // interrupted.
    // Only the user's own scrolling decides; a range that grows under the bar does not.
    connect(table_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] {
        const QScrollBar* bar = table_->verticalScrollBar();
        atBottom_ = bar->sliderPosition() >= bar->maximum();
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TrafficPanel::FollowBottom);

    ShowSummary();
    ShowRecording(log.Recording());
}

void TrafficPanel::ShowSummary() {
    if (!isVisible()) return;  // caught up when shown
    SummaryLabel->setText(TrafficTexts::SummaryText(log_.Summary(), English()));
}

void TrafficPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowSummary();
    table_->scrollToBottom();
}

void TrafficPanel::FollowBottom() {
    if (atBottom_ && isVisible()) table_->scrollToBottom();
}

QString TrafficPanel::CopySelection() {
    model_->Flush();
    std::set<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    QStringList lines;
    for (int row : rows) {
        QStringList cells;
        for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
            cells << TrafficTexts::Cell(model_->RowAt(row), column, English());
        lines << cells.join('\t');
    }
    const QString text = lines.isEmpty() ? QString() : lines.join('\n') + '\n';
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    return text;
}

bool TrafficPanel::SaveTo(const QString& path) {
    model_->Flush();
    QString error;
    const bool saved = TrafficCsv::Save(
        path, model_->rowCount(),
        [this](int row) -> const TrafficRow& { return model_->RowAt(row); }, English(), &error);
    NoteLabel->setStyleSheet(saved ? QString() : QStringLiteral("color: rgb(190, 0, 0);"));
    NoteLabel->setText(saved ? Ui(TrafficTexts::Saved).arg(model_->rowCount()).arg(path)
                             : Ui(TrafficTexts::SaveFailed).arg(path, error));
    return saved;
}

void TrafficPanel::SaveClicked() {
    const QString path =
        AskCsvSavePath(this, Ui(TrafficTexts::SaveCsv), QString(), Ui(TrafficTexts::CsvFiles));
    if (!path.isEmpty()) SaveTo(path);
}

void TrafficPanel::RecordTo(const QString& path, const CsvRotation& rotation) {
    if (path.isEmpty()) return log_.StopRecording();
    lastRecordPath_ = path;
    QString error;
    if (!log_.StartRecording(path, &error, rotation)) ShowRecordingFailure(error);
}

void TrafficPanel::AskAndRecord() {
    CsvRotation rotation;
    const QString path = AskRecordingPath(this, Ui(TrafficTexts::Record), QString(),
                                          Ui(TrafficTexts::CsvFiles), English(), &rotation);
    if (!path.isEmpty()) RecordTo(path, rotation);
}

void TrafficPanel::ShowRecording(bool recording) {
    RecordButton->setChecked(recording);
    if (!recording) return;
    // A rotating recording's failure is about the file it had come to.
    lastRecordPath_ = log_.RecordingPath();
    NoteLabel->setStyleSheet(QString());
    NoteLabel->setText(Ui(TrafficTexts::RecordingTo).arg(log_.RecordingPath()));
}

void TrafficPanel::ShowRecordingFailure(const QString& message) {
    RecordButton->setChecked(false);
    NoteLabel->setStyleSheet(QStringLiteral("color: rgb(190, 0, 0);"));
    NoteLabel->setText(Ui(TrafficTexts::RecordingFailed).arg(lastRecordPath_, message));
}
