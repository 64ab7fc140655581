#pragma once
// Debian's ser2net as a serial device server between the program and a pseudo-terminal, for the
// life of the object: its configuration is written into the test's scratch folder.
#include <QProcess>
#include <QString>

class Ser2net {
  public:
    enum class Mode { Raw, Rfc2217 };
    ~Ser2net();
    // Serves `device` (a pseudo-terminal's path, a link is followed) on 127.0.0.1 at a free
    // port; waits until it listens. False when ser2net did not start or listen.
    bool Start(Mode mode, const QString& device, const QString& scratchDir);
    int Port() const { return port_; }
    // "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString Url() const;
    QString Output();

  private:
    QProcess process_;
    Mode mode_ = Mode::Raw;
    int port_ = 0;
};

// A port on 127.0.0.1 that nothing listened on a moment ago.
int FreeLoopbackPort();
// True once something listens on 127.0.0.1:`port` (read from the kernel's table, without
// connecting, which a one-client server would count).
bool Listens(int port);
