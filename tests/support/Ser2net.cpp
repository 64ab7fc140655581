#include "tests/support/Ser2net.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include "tests/support/SimProcess.h"

int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) == 0)
        port = ntohs(at.sin_port);
    ::close(fd);
    return port;
}

bool Listens(int port) {
    // 0100007F:PORT, state 0A (listen), in /proc/net/tcp.
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A") return true;
    }
    return false;
}

Ser2net::~Ser2net() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
}

bool Ser2net::Start(Mode mode, const QString& device, const QString& scratchDir) {
    const QString program = FindTool("ser2net");
    if (program.isEmpty()) return false;
    mode_ = mode;
    port_ = FreeLoopbackPort();
    const QString accepter = mode == Mode::Raw ? "tcp" : "telnet(rfc2217),tcp";
    const QString config = scratchDir + "/ser2net.yaml";
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QStringLiteral("connection: &line\n"
                              "  accepter: %1,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,9600n81,local\n")
                   .arg(accepter)
                   .arg(port_)
                   .arg(QFileInfo(device).canonicalFilePath())
                   .toUtf8());
    file.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // -n: stay in the foreground; -d: no syslog, messages on standard error; -P: its own pid file.
    process_.start(program, {"-n", "-d", "-c", config, "-P", scratchDir + "/ser2net.pid"});
    if (!process_.waitForStarted(5000)) return false;
    const QDeadlineTimer deadline(10000);
    while (!Listens(port_)) {
        if (process_.state() == QProcess::NotRunning || deadline.hasExpired()) return false;
        process_.waitForReadyRead(20);  // ser2net says nothing when ready: look at the table
    }
    return true;
}

QString Ser2net::Url() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(mode_ == Mode::Raw ? "tcp" : "rfc2217")
        .arg(port_);
}

QString Ser2net::Output() {
    return QString::fromLocal8Bit(process_.readAll());
}
