#include "tests/support/Mosquitto.h"

#include <pwd.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>

#include "tests/support/Ser2net.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TurnUntil.h"

Mosquitto::~Mosquitto() {
    Stop();
}

bool Mosquitto::Start(const QString& scratchDir, const QString& user, const QString& password,
                      const QString& more) {
    const QString program = FindTool("mosquitto");
    if (program.isEmpty()) return false;
    if (port_ == 0) port_ = FreeLoopbackPort();
    // Started by root, mosquitto would become the user "mosquitto", who cannot read the scratch
    // folder: it stays whoever runs the test.
    const passwd* self = getpwuid(getuid());
    QString config = QStringLiteral("listener %1 127.0.0.1\nuser %2\n")
                         .arg(port_)
                         .arg(QString::fromLocal8Bit(self ? self->pw_name : "nobody"));
    if (user.isEmpty()) {
        config += "allow_anonymous true\n";
    } else {
        const QString passwords = scratchDir + "/mosquitto.passwd";
        QFile::remove(passwords);
        QFile(passwords).open(QIODevice::WriteOnly);
        const ToolRun made =
            RunTool(FindTool("mosquitto_passwd"), {"-b", passwords, user, password});
        if (made.exitCode != 0) return false;
        config += "allow_anonymous false\npassword_file " + passwords + '\n';
    }
    config += more;
    QFile file(scratchDir + "/mosquitto.conf");
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(config.toUtf8());
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(program, {"-c", file.fileName()});
    if (!process_.waitForStarted(5000)) return false;
    const QDeadlineTimer deadline(15000);
    while (!Listens(port_)) {
        if (process_.state() == QProcess::NotRunning || deadline.hasExpired()) return false;
        process_.waitForReadyRead(20);
    }
    return true;
}

void Mosquitto::Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
}

QString Mosquitto::Output() {
    return QString::fromUtf8(process_.readAll());
}

MqttSubscriber::~MqttSubscriber() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

bool MqttSubscriber::Start(int port, const QStringList& topics, bool retainedOnly) {
    const QString program = FindTool("mosquitto_sub");
    if (program.isEmpty()) return false;
    // Retained flag, topic, payload: one message a line (the payloads are one-line JSON).
    QStringList args = {"-h", "127.0.0.1", "-p", QString::number(port), "-F", "%r %t %p"};
    if (retainedOnly) args << "--retained-only";
    for (const QString& topic : topics) args << "-t" << topic;
    process_.start(program, args);
    return process_.waitForStarted(5000);
}

const std::vector<MqttMessage>& MqttSubscriber::Messages() {
    pending_ += process_.readAllStandardOutput();
    int end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        const int topicEnd = line.indexOf(' ', 2);
        if (line.size() < 3 || topicEnd < 0) continue;
        messages_.push_back({line.startsWith('1'), QString::fromUtf8(line.mid(2, topicEnd - 2)),
                             line.mid(topicEnd + 1)});
    }
    return messages_;
}

bool MqttSubscriber::WaitFor(const std::function<bool(const std::vector<MqttMessage>&)>& done,
                             int timeoutMs) {
    return TurnUntil([&] { return done(Messages()); }, timeoutMs);
}

bool MqttSubscriber::WaitForEnd(int timeoutMs) {
    const bool ended = process_.waitForFinished(timeoutMs);
    Messages();
    return ended;
}

bool MqttPublish(int port, const QString& topic, const QByteArray& payload) {
    return RunTool(FindTool("mosquitto_pub"), {"-h", "127.0.0.1", "-p", QString::number(port), "-t",
                                               topic, "-m", QString::fromUtf8(payload)})
               .exitCode == 0;
}
