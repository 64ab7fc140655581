#include "tests/support/SimProcess.h"

#include <signal.h>

#include <QElapsedTimer>
#include <QStandardPaths>

QString ZnsimPath() {
    const QString chosen = qEnvironmentVariable("ZN_ZNSIM_PATH");
    return chosen.isEmpty() ? QStringLiteral(ZNSIM_BUILT) : chosen;
}

QString FindTool(const QString& name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty()) return onPath;
    // Debian installs servers (ser2net, mosquitto) where an ordinary user's PATH does not go.
    return QStandardPaths::findExecutable(name, {"/usr/local/sbin", "/usr/sbin", "/sbin"});
}

ToolRun RunTool(const QString& program, const QStringList& args, int timeoutMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    ToolRun run;
    if (!process.waitForStarted(5000)) return run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        run.output = QString::fromUtf8(process.readAll());
        return run;
    }
    run.output = QString::fromUtf8(process.readAll());
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) Stop();
}

bool SimProcess::Start(const QStringList& args) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // A test killed midway (a crash, a ctest timeout) must not leave it holding links and ports.
    process_.start(ZnsimPath(), QStringList{"--die-with-parent"} + args);
    if (!process_.waitForStarted(5000)) return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && !Output().contains("znsim: ready"))
        if (process_.state() == QProcess::NotRunning) return false;
    return Output().contains("znsim: ready");
}

int SimProcess::Stop(int signal) {
    if (process_.state() == QProcess::NotRunning) return process_.exitCode();
    ::kill(static_cast<pid_t>(process_.processId()), signal);
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
        return -1;
    }
    Output();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString SimProcess::Output() {
    // The pipe is only drained while waiting on it; take what the program has written so far.
    while (process_.state() == QProcess::Running && process_.waitForReadyRead(100))
        output_ += QString::fromUtf8(process_.readAll());
    output_ += QString::fromUtf8(process_.readAll());
    return output_;
}

bool SimProcess::WaitFor(const QString& text, int times, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (Output().count(text) < times)
        if (clock.elapsed() > timeoutMs || process_.state() == QProcess::NotRunning) return false;
    return true;
}
