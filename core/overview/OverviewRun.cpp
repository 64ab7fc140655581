#include "core/overview/OverviewRun.h"

#include <QMetaObject>

OverviewRun::OverviewRun(const LineFile& file, QObject* parent) : QObject(parent), file_(file) {
    for (int i = 0; i < static_cast<int>(file_.lines.size()); ++i) {
        auto line = std::make_unique<Running_>();
        line->worker = std::make_unique<LineWorker>(file_.lines[i], i);
        lines_.push_back(std::move(line));
    }
}

OverviewRun::~OverviewRun() {
    Stop();
}

void OverviewRun::Start() {
    // A line switched off (another line's settings on the same port) waits to be chosen.
    for (int i = 0; i < LineCount(); ++i)
        if (file_.lines[i].enabled) StartLine(i);
}

void OverviewRun::Stop() {
    for (int i = 0; i < LineCount(); ++i) StopLine(i);
}

void OverviewRun::StartLine(int index) {
    Running_& line = *lines_[index];
    if (line.running) return;
    if (line.thread) line.thread->wait();  // ended by itself
    line.stop = false;
    line.running = true;
    line.thread.reset(QThread::create([this, index, &line] {
        // Queued with this object as context: nothing arrives once it is gone.
        const auto sink = [this](const ModuleReport& report) {
            QMetaObject::invokeMethod(
                this, [this, report] { emit Reported(report); }, Qt::QueuedConnection);
        };
        QString why;
        if (line.worker->Run(line.stop, sink, &why)) return;
        QMetaObject::invokeMethod(
            this,
            [this, index, why] {
                Running_& ended = *lines_[index];
                if (!ended.running) return;  // stopped meanwhile
                ended.running = false;
                emit LineFailed(index, why);
            },
            Qt::QueuedConnection);
    }));
    line.thread->start();
}

void OverviewRun::StopLine(int index) {
    Running_& line = *lines_[index];
    line.stop = true;
    if (line.thread) line.thread->wait();
    line.running = false;
}

bool OverviewRun::Running(int line) const {
    return lines_[line]->running;
}

bool OverviewRun::AnyRunning() const {
    for (const auto& line : lines_)
        if (line->running) return true;
    return false;
}

void OverviewRun::ResetCounts() {
    for (const auto& line : lines_) line->worker->ResetCounts();
}
