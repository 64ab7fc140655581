// Line overview benchmark.
//   --rows [--seconds N]: the real window with one line of 247 modules (ZN330 with sixteen inputs
//     and ZN260 with eight measurements, alternately), fed reports with new values at full rate by
//     a thread of its own, as the lines' workers deliver them, with no bus at all. Each redraw is
//     timed from the start of the timer event that calls the model's Redraw() to the end of the
//     window's update request that painted the table, beside two floors timed the same way: the
//     same view redrawing the same rows with nothing changed, and a plain QTableWidget of the
//     same cells repainted as often. The three run in turns of a quarter of N seconds each, so a
//     noisy machine weighs on all of them alike. Also the main thread's CPU share of each.
//   --lines FILE --seconds N: opens the window on a line file in the current folder (its ports
//     under sys/), starts every line, and exits after N seconds or at SIGINT/SIGTERM, with the
//     requests and replies of each line a second.
#include <time.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <map>
#include <vector>

#include "app/StartUp.h"
#include "core/modules/PollPlan.h"
#include "tools/bench/BenchWindow.h"
#include "windows/overview/LineOverviewWindow.h"
#include "windows/overview/OverviewModel.h"

namespace {
constexpr int kRows = 247;

QElapsedTimer& Clock() {
    static QElapsedTimer clock;
    return clock;
}
double NowMs() {
    return Clock().nsecsElapsed() / 1e6;
}
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Times every event, so a redraw is measured from the timer event that starts it to the end of
// the update request that paints it, with whatever Qt does between (the view's dataChanged, the
// layout of dirty regions, the paint, the flush to the screen).
class TimedApp : public QApplication {
  public:
    using QApplication::QApplication;

    QWidget* watched = nullptr;  // the viewport whose paints end a redraw
    std::vector<double> redrawMs;
    std::vector<double> paintMs;  // the viewport's paint event alone
    bool recording = false;

    // The redraw begun by the timer event now being handled (the innermost, as a timer may fire
    // in an event loop run inside another event).
    void Mark() {
        if (recording && !timerStartsMs_.empty()) pendingFromMs_ = timerStartsMs_.back();
    }

    bool notify(QObject* receiver, QEvent* event) override {
        // The feeder's thread has events too; only the window's are timed.
        if (QThread::currentThread() != thread()) return QApplication::notify(receiver, event);
        const QEvent::Type type = event->type();
        const bool timer = type == QEvent::Timer;
        if (timer) timerStartsMs_.push_back(NowMs());
        const bool update = type == QEvent::UpdateRequest && !inUpdate_;
        if (update) {
            inUpdate_ = true;
            painted_ = false;
            paintSumMs_ = 0;
        }
        const bool paint = type == QEvent::Paint && receiver == watched;
        const double paintStart = paint ? NowMs() : 0;
        const bool done = QApplication::notify(receiver, event);
        if (timer) timerStartsMs_.pop_back();
        if (paint) {
            paintSumMs_ += NowMs() - paintStart;
            painted_ = true;
        }
        if (update) {
            inUpdate_ = false;
            if (painted_ && pendingFromMs_ >= 0) {
                redrawMs.push_back(NowMs() - pendingFromMs_);
                paintMs.push_back(paintSumMs_);
                pendingFromMs_ = -1;
            }
        }
        return done;
    }

  private:
    std::vector<double> timerStartsMs_;
    double pendingFromMs_ = -1;
    bool inUpdate_ = false;
    bool painted_ = false;
    double paintSumMs_ = 0;
};

LineFile RowsFile() {
    LineFile file;
    LineOfModules line;
    line.name = QStringLiteral("Full line");
    line.port = QStringLiteral("COM1");
    line.waitMs = 100;
    for (int address = 1; address <= kRows; ++address) {
        LineModule module;
        module.address = address;
        module.model = address % 2 ? QStringLiteral("ZN330") : QStringLiteral("ZN260");
        module.tag = QStringLiteral("M%1").arg(address);
        line.modules.push_back(module);
    }
    file.lines.push_back(line);
    return file;
}

// Stands in for the lines' workers: reports with new values, spread evenly at `perSecond`, each
// queued to the window as OverviewRun queues them.
class Feeder : public QObject {
  public:
    Feeder(LineOverviewWindow* window, const LineFile& file, double perSecond)
        : window_(window), perSecond_(perSecond) {
        for (const LineModule& module : file.lines[0].modules) {
            channels_.push_back(PollPlan::Of(module.model)->channels);
            models_.push_back(module.model);
        }
        tallies_.resize(channels_.size());
    }
    std::atomic<bool> feeding{false};
    std::atomic<long> sent{0};

    void Begin() {
        timer_ = new QTimer(this);
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(10);
        connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_->start();
    }
    // In the feeder's thread, where its timer lives.
    void End() { delete timer_; }

  private:
    void Tick() {
        const double now = NowMs();
        if (!feeding) {
            sinceMs_ = now;
            sinceSent_ = 0;
            return;
        }
        const long due = std::lround((now - sinceMs_) * perSecond_ / 1000);
        for (; sinceSent_ < due; ++sinceSent_) Send();
    }
    void Send() {
        const int module = static_cast<int>(next_++ % channels_.size());
        const long round = next_ / static_cast<long>(channels_.size());
        ModuleReport report;
        report.line = 0;
        report.module = module;
        report.timeMs = QDateTime::currentMSecsSinceEpoch();
        report.status = ModuleStatus::Ok;
        report.modelRead = models_[module];
        report.poll.outcome = ModulePoll::Answered;
        report.poll.counts.requests = report.poll.counts.replies = 1;
        report.poll.responseMs = 12 + static_cast<int>((round + module) % 17);
        report.poll.modelRead = models_[module];
        int k = 0;
        for (const TrendChannel& channel : channels_[module]) {
            ChannelReading reading;
            reading.name = channel.name;
            reading.unit = channel.unit;
            reading.decimals = channel.decimals;
            if (channel.steps) {
                reading.value = ((round + k + module) % 3) == 0;
                reading.text = QString::number(static_cast<int>(reading.value));
            } else {
                reading.value = 4 + std::fmod(round * 0.173 + k * 1.9 + module * 0.07, 16.0);
                reading.text = QString::number(reading.value, 'f', channel.decimals);
            }
            report.poll.channels.push_back(reading);
            ++k;
        }
        tallies_[module].Add(report.poll, report.timeMs);
        report.tally = tallies_[module];
        ++sent;
        LineOverviewWindow* window = window_;
        QMetaObject::invokeMethod(
            window, [window, report] { window->TakeReport(report); }, Qt::QueuedConnection);
    }

    LineOverviewWindow* window_;
    double perSecond_;
    std::vector<std::vector<TrendChannel>> channels_;
    std::vector<QString> models_;
    std::vector<PollTally> tallies_;
    QTimer* timer_ = nullptr;
    long next_ = 0;
    double sinceMs_ = 0;
    long sinceSent_ = 0;
};

void RunForMs(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double Pct(std::vector<double> values, double p) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(values.size() * p / 100))];
}

struct Phase {
    const char* name = "";
    std::vector<double> redrawMs, paintMs;
    double cpuMs = 0, wallMs = 0;
    long reports = 0;
};

int Rows(TimedApp& app, int seconds) {
    const LineFile file = RowsFile();
    auto* window = new LineOverviewWindow;
    window->SetFile(file, QString());
    window->move(0, 0);
    window->show();
    QTableView* view = window->Table_Modules;

    // A full line: every row anew every redraw.
    const double perSecond = kRows * 1000.0 / OverviewModel::kRedrawMs;
    QThread feederThread;
    Feeder feeder(window, file, perSecond);
    feeder.moveToThread(&feederThread);
    feederThread.start();
    QMetaObject::invokeMethod(
        &feeder, [&feeder] { feeder.Begin(); }, Qt::QueuedConnection);
    feeder.feeding = true;
    RunForMs(1500);  // every row has its first report, so the cells are the same as below

    // The plain table: the same cells, columns and rows, in a window the size of the view.
    auto* plain = new QTableWidget(kRows, OverviewModel::ColumnCount);
    plain->setWindowTitle("plain");
    plain->verticalHeader()->hide();
    plain->verticalHeader()->setDefaultSectionSize(view->verticalHeader()->defaultSectionSize());
    plain->setWordWrap(false);
    OverviewModel* model = window->Model();
    for (int column = 0; column < OverviewModel::ColumnCount; ++column) {
        plain->setHorizontalHeaderItem(
            column, new QTableWidgetItem(
                        model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
        plain->setColumnWidth(column, view->columnWidth(column));
        for (int row = 0; row < kRows; ++row)
            plain->setItem(row, column,
                           new QTableWidgetItem(model->index(row, column).data().toString()));
    }
    plain->resize(view->size());
    plain->move(window->frameGeometry().right() + 20, 0);
    plain->show();

    QObject::connect(model, &QAbstractItemModel::dataChanged, &app, [&app] { app.Mark(); });
    // The unchanged floor: every row said changed with no new report, as soon after each redraw
    // as a full line's next reports would say it.
    QTimer unchanged;
    unchanged.setInterval(10);
    QObject::connect(&unchanged, &QTimer::timeout, model, [model] {
        model->Changed(0);
        model->Changed(kRows - 1);
    });
    QTimer plainTick;
    plainTick.setTimerType(Qt::PreciseTimer);
    plainTick.setInterval(OverviewModel::kRedrawMs);
    QObject::connect(&plainTick, &QTimer::timeout, &app, [&app, plain] {
        app.Mark();
        plain->viewport()->update();
    });

    Phase phases[3];
    phases[0].name = "live";
    phases[1].name = "unchanged";
    phases[2].name = "plain";
    constexpr int kTurns = 4;
    const int turnMs = seconds * 1000 / kTurns;
    for (int turn = 0; turn < kTurns; ++turn) {
        for (int p = 0; p < 3; ++p) {
            feeder.feeding = p == 0;
            if (p == 1) unchanged.start();
            if (p == 2) plainTick.start();
            app.watched = p == 2 ? plain->viewport() : view->viewport();
            RunForMs(500);  // the queue of the turn before drains
            app.redrawMs.clear();
            app.paintMs.clear();
            const long sent = feeder.sent;
            const double cpu = ThreadCpuMs(), wall = NowMs();
            app.recording = true;
            RunForMs(turnMs);
            app.recording = false;
            Phase& phase = phases[p];
            phase.cpuMs += ThreadCpuMs() - cpu;
            phase.wallMs += NowMs() - wall;
            phase.reports += feeder.sent - sent;
            phase.redrawMs.insert(phase.redrawMs.end(), app.redrawMs.begin(), app.redrawMs.end());
            phase.paintMs.insert(phase.paintMs.end(), app.paintMs.begin(), app.paintMs.end());
            unchanged.stop();
            plainTick.stop();
        }
    }
    feeder.feeding = false;
    QMetaObject::invokeMethod(
        &feeder, [&feeder] { feeder.End(); }, Qt::BlockingQueuedConnection);
    feederThread.quit();
    feederThread.wait();

    const int visible = view->rowAt(view->viewport()->height() - 1) + 1;
    std::printf(
        "rows %d (ZN330 sixteen inputs and ZN260 eight measurements, alternately), "
        "%d visible, platform %s\n",
        kRows, visible ? visible : kRows, qPrintable(QGuiApplication::platformName()));
    std::printf(
        "fed %.0f reports a second (every row every %d ms); redraws timed from the "
        "timer event to the end of the painted update, %d turns of %.1f s each\n",
        perSecond, OverviewModel::kRedrawMs, kTurns, turnMs / 1000.0);
    for (const Phase& phase : phases) {
        std::printf(
            "%-9s redraws %4zu  redraw median %6.2f ms  p95 %6.2f  max %6.2f  | paint "
            "median %6.2f ms  max %6.2f  | main thread cpu %5.1f %%  reports/s %6.0f\n",
            phase.name, phase.redrawMs.size(), Pct(phase.redrawMs, 50), Pct(phase.redrawMs, 95),
            Pct(phase.redrawMs, 100), Pct(phase.paintMs, 50), Pct(phase.paintMs, 100),
            100 * phase.cpuMs / phase.wallMs, phase.reports * 1000 / phase.wallMs);
    }
    const double floorMedian = Pct(phases[2].redrawMs, 50);
    std::printf(
        "live redraw median %.2f ms beside the plain table's %.2f ms (ratio %.2f) and "
        "the unchanged view's %.2f ms\n",
        Pct(phases[0].redrawMs, 50), floorMedian, Pct(phases[0].redrawMs, 50) / floorMedian,
        Pct(phases[1].redrawMs, 50));
    delete plain;
    delete window;
    return 0;
}

std::atomic<bool> stopAsked{false};
extern "C" void OnStop(int) {
    stopAsked = true;
}

int Lines(const QString& path, int seconds) {
    RunStartUp();
    auto* window = new LineOverviewWindow;
    if (!window->Load(path)) return std::fprintf(stderr, "no line file %s\n", qPrintable(path)), 2;
    window->show();
    window->Command_Start_Click();
    if (!window->Running()) return std::fprintf(stderr, "the lines did not start\n"), 2;
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    const double started = NowMs();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (stopAsked || NowMs() - started >= seconds * 1000.0) QApplication::quit();
    });
    watch.start(100);
    QApplication::exec();
    const double wallS = (NowMs() - started) / 1000;
    std::map<int, RequestCounts> perLine;
    std::map<int, int> answered;  // polls, as the watch's rows count them
    const OverviewBoard& board = window->Board();
    for (int row = 0; row < board.RowCount(); ++row) {
        if (const ModuleReport* report = board.Latest(row)) {
            perLine[board.ModuleAt(row).first] += report->tally.counts;
            answered[board.ModuleAt(row).first] += report->tally.timedPolls;
        }
    }
    std::printf("window shown %.0f s, %d modules\n", wallS, board.RowCount());
    for (const auto& [line, counts] : perLine)
        std::printf("  %s: %.1f answered polls/s, %.1f requests/s, %.1f replies/s\n",
                    qPrintable(window->File().lines[line].name), answered[line] / wallS,
                    counts.requests / wallS, counts.replies / wallS);
    std::fflush(stdout);
    delete window;  // stops every line
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: zn_overview_bench --rows [--seconds N]\n"
                 "       zn_overview_bench --lines FILE --seconds N\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    Clock().start();
    TimedApp app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    const int at = args.indexOf("--seconds");
    const int seconds = at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : 0;
    if (args.value(0) == "--rows") return Rows(app, seconds > 0 ? seconds : 20);
    if (args.value(0) == "--lines" && args.size() >= 2 && seconds > 0)
        return Lines(args[1], seconds);
    return Usage();
}
