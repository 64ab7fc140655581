#pragma once
// The POSIX serial backend: a terminal device opened exclusively (TIOCEXCL and a flock, as the
// Windows original held its port) at a settings string such as "9600,N,8,1".
#include <QString>
#include <memory>

#include "core/line/LineBackend.h"
#include "core/line/SerialBackend.h"
#include "core/line/SerialLineSettings.h"

class SerialLine : public LineBackend {
  public:
    // Opens `name` ("COM3" or a path) at `settings`. With `mustBe`, only that device will do: a
    // name that now leads elsewhere fails like a missing port. `reached` is the device found,
    // even when its settings then fail. On failure gives nothing and the message to show.
    // `listenOnly` opens the device for reading alone: the kernel itself refuses every write.
    static std::unique_ptr<SerialLine> Open(const QString& name, const QString& settings,
                                            const SerialDeviceIdentity* mustBe,
                                            SerialDeviceIdentity* reached, QString* message,
                                            bool listenOnly = false);
    ~SerialLine() override;

    const SerialDeviceIdentity& Identity() const { return identity_; }

    // The open terminal's descriptor; it is non-blocking.
    int Descriptor() const { return fd_; }
    LineWait WaitReadable(int timeoutMs) override;
    void WaitWritable(int timeoutMs) override;
    LineIo ReadSome(uint8_t* into, size_t size) override;
    LineIo WriteSome(const uint8_t* bytes, size_t size) override;
    LineWatchable Watchable() const override;
    // Lines opened from now on are looked at every millisecond rather than watched by their
    // descriptor, as the event loop does on Windows: that path of the line runs here too.
    static void WatchByLooking(bool looking);
    void DiscardInput() override;
    void Drain() override;
    int Unsent() const override;
    double CharacterMicros() const override;

  private:
    SerialLine() = default;

    int fd_ = -1;
    bool listenOnly_ = false;
    bool watchByLooking_ = false;
    bool holdsExclusive_ = false;  // cleared only by whoever set it: never another holder's mode
    SerialDeviceIdentity identity_;
    LineSettings settings_;
};
