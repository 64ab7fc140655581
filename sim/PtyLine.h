#pragma once
// One simulated line: a pseudo-terminal whose slave end is linked where the program looks for
// its port. The simulator holds the master end.
#include <sys/types.h>

#include <string>

#include "core/protocol/Modbus.h"
#include "sim/SimBus.h"

class PtyLine {
  public:
    // Opens the pty and makes the link; an old link there (from a run that was killed) is
    // replaced, anything else is left alone and reported.
    explicit PtyLine(const std::string& linkPath);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& LinkPath() const { return linkPath_; }

    // Makes the line a tap: its slave end raw (a listener's own settings aside, nothing it gets
    // is echoed back), and seen as closed until a listener opens it.
    void MakeTap();
    // Whether someone holds the slave end open: bytes written while no one does would wait there
    // and reach a listener who opens it later as if they had just come.
    bool Held() const;

    // The speed and odd parity the program has set on its end.
    LineState Line() const;
    // What has arrived: the count, 0 when nothing, -1 when the program's end is closed.
    ssize_t Read(uint8_t* buffer, size_t size);
    void Write(const Frame& bytes);

  private:
    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    bool linked_ = false;
    std::string error_;
};
