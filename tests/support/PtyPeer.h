#pragma once
// A module on the far end of a pseudo-terminal: the test holds the master end and the program
// opens the slave end by a path (a link in a scratch folder).
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "tests/support/QStringPrinter.h"

class PtyPeer {
  public:
    // Opens a pty and links its slave as `linkPath` (relative to the working directory) when
    // given, else only remembers the slave path.
    explicit PtyPeer(const QString& linkPath = QString());
    ~PtyPeer();

    QString SlavePath() const { return slavePath_; }
    QString LinkPath() const { return linkPath_; }
    int MasterFd() const { return master_; }

    // Bytes the program wrote, waiting up to `timeoutMs` for the first and 30 ms after the last.
    // The default ceiling is for a request that is due: it returns as soon as that arrives, and
    // leaves a loaded machine time to deliver it.
    QByteArray ReadRequest(int timeoutMs = 5000);
    // Bytes as the module's reply; when the program holds the slave open, returns once they are
    // all waiting at its end.
    void Write(const QByteArray& bytes);
    void WriteHex(const QString& spacedHex);
    // The baud rate and odd-parity flag the program set on its end.
    int Baud() const;
    bool OddParity() const;
    // Closes the master end, as when a USB adapter is pulled.
    void Vanish();

  private:
    int master_ = -1;
    QString slavePath_;
    QString linkPath_;
};

// Hex text of bytes, spaced like SentText: "01 03 00 00 00 04 44 09 ".
QString SpacedHex(const QByteArray& bytes);
// Bytes of a spaced hex text, with the CRC appended when `withCrc`.
QByteArray HexBytes(const QString& spacedHex, bool withCrc = false);

// A scratch working directory with a sys/ folder holding set.rc, set2.rc and tm.rc; restores the
// previous working directory when it goes.
class ScratchSys {
  public:
    ScratchSys();
    ~ScratchSys();
    QString Path() const { return dir_.path(); }
    void WriteFile(const QString& name, const QByteArray& content);
    QByteArray ReadFile(const QString& name) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
};
