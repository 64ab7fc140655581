#pragma once
// The far ends a test holds against znsim's lines: a serial device opened by its path (a bus's
// or a tap's pty) and a TCP connection to one of its ports on 127.0.0.1.
#include <QByteArray>
#include <QString>

// A descriptor read with a deadline: Read returns once `count` bytes came or the ceiling passed.
class WireEnd {
  public:
    ~WireEnd();
    bool Ok() const { return fd_ >= 0; }
    void Write(const QByteArray& bytes);
    QByteArray Read(int count, int ceilingMs = 5000);
    // What is waiting now, without waiting.
    QByteArray Waiting();
    void Close();

  protected:
    int fd_ = -1;
};

// A pty's slave end, raw, at `baud` (0: left as it is), as a master or a listener opens it.
class TtyEnd : public WireEnd {
  public:
    explicit TtyEnd(const QString& path, int baud = 9600);
};

class TcpEnd : public WireEnd {
  public:
    explicit TcpEnd(int port);
};

// A frame as znsim's badcrc fault sends it: the CRC's last bit flipped.
QByteArray WithBrokenCrc(QByteArray frame);
