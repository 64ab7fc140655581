#pragma once
// A TCP port on 127.0.0.1 that serves one client at a time: while one is connected the port is
// not accepted on, so the next client waits in the queue until it leaves.
#include <sys/types.h>

#include <string>

#include "core/protocol/Modbus.h"

class NetListener {
  public:
    // Listens on 127.0.0.1:port (0: a free port the system picks).
    explicit NetListener(int port);
    ~NetListener();
    NetListener(const NetListener&) = delete;
    NetListener& operator=(const NetListener&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    int Port() const { return port_; }

    // The descriptor to wait on: the client's while one is connected, else the listening one.
    int PollFd() const { return client_ >= 0 ? client_ : listener_; }
    bool HasClient() const { return client_ >= 0; }
    // Takes the waiting client; its address ("127.0.0.1:40312"), empty when none came.
    std::string Accept();
    // What the client sent: the count, 0 when nothing, -1 when it has gone (then forgotten).
    ssize_t Read(uint8_t* buffer, size_t size);
    void Write(const Frame& bytes);
    void DropClient();

  private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    std::string error_;
};
