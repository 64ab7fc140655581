#pragma once
// The TCP connection under a network line, on this system's sockets (POSIX or Winsock): a connect
// that lets the event loop turn, and the line's waits, reads and writes on a non-blocking socket.
// Error codes are the system's own (errno values, or Winsock's).
#include <cstddef>
#include <cstdint>

#include "core/line/LineBackend.h"
#include "core/line/NetAddress.h"

// Why a connection could not be made or set up.
enum class NetFailure { BadAddress, NameNotFound, Refused, TimedOut, NoLineSettings, Other };

class NetSocket {
  public:
    NetSocket() = default;
    ~NetSocket();
    NetSocket(const NetSocket&) = delete;
    NetSocket& operator=(const NetSocket&) = delete;

    // Connects to `address` within `timeoutMs`, to each address its host has in turn; name
    // resolution and the connect run while the event loop keeps turning (user input waits). False
    // with why and the system's error code.
    bool Connect(const NetAddress& address, int timeoutMs, NetFailure* failure, int* error);

    LineWait WaitReadable(int timeoutMs);
    // True once the socket may take more bytes, false when `timeoutMs` passed first.
    bool WaitWritable(int timeoutMs);
    LineIo Receive(uint8_t* into, size_t size);
    LineIo Send(const uint8_t* bytes, size_t size);
    long long Handle() const { return handle_; }
    // The system's code for the last failure here.
    int LastError() const { return error_; }
    void SetError(int error) { error_ = error; }

    // The system's codes for a connection the peer reset and for a time-out.
    static int ResetError();
    static int TimedOutError();

  private:
    long long handle_ = -1;
    int error_ = 0;
};
