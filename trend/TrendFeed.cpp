#include "trend/TrendFeed.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "workwindow/CommPanel.h"
#include "core/traffic/TrafficTexts.h"
#include "workwindow/WorkWindow.h"
#include "core/record/TrendCsv.h"
#include "core/record/TrendTexts.h"
#include "widgets/CsvSaveDialog.h"
#include "widgets/RecordToggle.h"

namespace {
int64_t SystemClock() {
    return QDateTime::currentMSecsSinceEpoch();
}

QString Ui(TrendTexts::Ui key) {
    return TrendTexts::UiText(key, TrendTexts::English());
}

// The file's name as the one-line note beside the buttons shows it; the tooltip has the path.
QString ShortName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.size() <= 28 ? name : name.left(13) + QChar(0x2026) + name.right(13);
}
}  // namespace

TrendFeed::TrendFeed(WorkWindow* window, QGroupBox* panel, std::vector<TrendChannel> channels)
    : TrendFeed(static_cast<QWidget*>(window), QString(), std::move(channels)) {
    panel_ = panel;
    controls_->setParent(panel);
    NoteLabel->setParent(panel);
    NoteLabel->hide();
    // A closed work window polls nothing more: its file is finished, its chart goes with it.
    connect(window, &WorkWindow::Closed, this, [this] {
        StopRecording();
        HideChart();
    });
}

TrendFeed::TrendFeed(QWidget* window, const QString& title, std::vector<TrendChannel> channels)
    : QObject(window),
      window_(window),
      title_(title),
      channels_(std::move(channels)),
      ring_(static_cast<int>(channels_.size()), kCapacity),
      clock_(&SystemClock) {
    controls_ = new QWidget(window);
    TrendButton = Named(new QPushButton(controls_), "Command_Trend");
    RecordButton = Named(new QPushButton(controls_), "Command_Record");
    NoteLabel = Named(new QLabel(window), "Label_RecordNote");
    NoteLabel->hide();
    auto* buttons = new QHBoxLayout(controls_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(TrendButton);
    buttons->addWidget(RecordButton);

    // The files rotate by the readings' own clock, so a test stepping it crosses midnight.
    file_.SetClock([this] { return QDateTime::fromMSecsSinceEpoch(clock_()); });
    connect(TrendButton, &QPushButton::clicked, this, &TrendFeed::ShowTrend);
    FollowRecording(
        RecordButton, [this] { return Recording(); }, [this] { AskAndRecord(); },
        [this] { StopRecording(); });
}

TrendFeed::~TrendFeed() = default;

QString TrendFeed::Title() const {
    if (!panel_) return title_;
    const QString panel = panel_->title().trimmed();
    return panel.isEmpty() ? window_->windowTitle() : window_->windowTitle() + ' ' + panel;
}

void TrendFeed::Load() {
    TrendButton->setText(Ui(TrendTexts::Trend));
    RecordButton->setText(Ui(TrendTexts::Record));
    RetranslateChart();
}

void TrendFeed::SetClock(std::function<int64_t()> clock) {
    clock_ = clock ? std::move(clock) : &SystemClock;
}

void TrendFeed::Add(const std::vector<double>& values) {
    const int64_t now = clock_();
    ring_.Append(now, values);
    if (file_.IsOpen()) {
        QString error;
        const QString path = file_.Path();
        if (!file_.Append(TrendCsv::Line(now, values, channels_), &error))
            ShowFailure(error);
        else if (file_.Path() != path)
            ShowRecording();
    }
    emit Added();
}

void TrendFeed::AddGap() {
    ring_.Append(clock_(), {});
    emit Added();
}

bool TrendFeed::StartRecording(const QString& path, QString* error, const CsvRotation& rotation) {
    QString reason;
    const bool started =
        file_.Open(path, TrendCsv::Header(channels_, TrendTexts::English()), rotation, &reason);
    if (!started) {
        if (error) *error = reason;
        ShowFailure(reason);
        return false;
    }
    ShowRecording();
    emit RecordingChanged(true);
    return true;
}

void TrendFeed::StopRecording() {
    if (!file_.IsOpen()) return;
    file_.Close();
    ShowRecording();
    emit RecordingChanged(false);
}

void TrendFeed::AskAndRecord() {
    const bool english = TrendTexts::English();
    const QString suggested = QDir::home().filePath(
        TrendTexts::UiText(TrendTexts::FileName, english)
            .arg(window_->windowTitle(), QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss")));
    CsvRotation rotation;
    const QString path =
        AskRecordingPath(window_, Ui(TrendTexts::Record), suggested,
                         TrafficTexts::UiText(TrafficTexts::CsvFiles, english), english, &rotation);
    if (!path.isEmpty()) StartRecording(path, nullptr, rotation);
}

void TrendFeed::ShowRecording() {
    RecordButton->setChecked(Recording());
    NoteLabel->setStyleSheet(QString());
    NoteLabel->setVisible(Recording());
    if (!Recording()) return NoteLabel->clear();
    NoteLabel->setText(TrafficTexts::UiText(TrafficTexts::RecordingTo, TrendTexts::English())
                           .arg(ShortName(file_.Path())));
    NoteLabel->setToolTip(file_.Path());
}

void TrendFeed::ShowFailure(const QString& message) {
    const QString path = file_.Path();
    file_.Close();
    RecordButton->setChecked(false);
    NoteLabel->setStyleSheet(QStringLiteral("color: rgb(190, 0, 0);"));
    NoteLabel->setText(TrafficTexts::UiText(TrafficTexts::RecordingFailed, TrendTexts::English())
                           .arg(ShortName(path), message));
    NoteLabel->setToolTip(path);
    NoteLabel->show();
    emit RecordingChanged(false);
    emit RecordingFailed(message);
}
