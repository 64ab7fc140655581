#pragma once
// The Win32 serial backend: "COMn" opened as \\.\COMn, exclusively (as the original held its
// port), its line set through a DCB from the same settings string as on POSIX ("9600,N,8,1").
// Input is waited for with timed reads, not WaitCommEvent: Wine ends that wait at once on a
// pseudo-terminal, where a read timed by COMMTIMEOUTS behaves.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/line/LineBackend.h"
#include "core/line/SerialBackend.h"
#include "core/line/SerialLineSettings.h"

// Made by this system's SerialBackend::Open.
class WinSerialLine : public LineBackend {
  public:
    ~WinSerialLine() override;

    LineWait WaitReadable(int timeoutMs) override;
    // A write waits in the driver itself, bounded by the write time-outs.
    void WaitWritable(int) override {}
    LineIo ReadSome(uint8_t* into, size_t size) override;
    LineIo WriteSome(const uint8_t* bytes, size_t size) override;
    // A serial handle cannot be watched by the event loop: it looks at the driver's queue.
    LineWatchable Watchable() const override { return {-1, 1}; }
    void DiscardInput() override;
    void Drain() override;
    int Unsent() const override;
    double CharacterMicros() const override;

  private:
    friend std::unique_ptr<LineBackend> SerialBackend::Open(const QString&, const QString&,
                                                            const SerialDeviceIdentity*,
                                                            SerialDeviceIdentity*, QString*, bool);
    WinSerialLine() = default;
    // Bytes the driver holds unread; -1 once the device has gone.
    long long Queued() const;
    // Makes a read wait up to `ms` for its first byte.
    bool SetReadWait(int ms);

    void* handle_ = nullptr;
    bool listenOnly_ = false;
    bool gone_ = false;  // the device refused a read: it has been pulled or closed
    int readWaitMs_ = -1;
    std::vector<uint8_t> pending_;  // taken by a wait, not yet read
    LineSettings settings_;
};
