#include "core/line/WinSerialLine.h"

#include <windows.h>

namespace {
// Write time-out: 1 ms per byte plus 10 ms.
constexpr DWORD kWritePerByteMs = 1;
constexpr DWORD kWriteConstantMs = 10;
// A read of bytes the driver already holds returns at once; this only bounds a driver that lied.
constexpr int kQueuedReadMs = 100;

HANDLE Handle(void* handle) {
    return static_cast<HANDLE>(handle);
}
}  // namespace

std::unique_ptr<LineBackend> SerialBackend::Open(const QString& name, const QString& settings,
                                                 const SerialDeviceIdentity* mustBe,
                                                 SerialDeviceIdentity* reached, QString* message,
                                                 bool listenOnly) {
    const auto found = DeviceToOpen(name, mustBe, message);
    if (!found) return nullptr;
    const QString& device = *found;
    // COM10 and above are reached only through the device namespace; every port is, alike.
    const QString path =
        device.startsWith(QStringLiteral("\\\\.\\")) ? device : QStringLiteral("\\\\.\\") + device;
    std::unique_ptr<WinSerialLine> line(new WinSerialLine);
    line->listenOnly_ = listenOnly;
    const HANDLE handle = ::CreateFileW(
        reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | (listenOnly ? 0 : GENERIC_WRITE),
        0 /* no sharing: held alone */, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *message = CannotOpen(device, static_cast<int>(::GetLastError()));
        return nullptr;
    }
    line->handle_ = handle;
    // Only a character device is a port: a file is none.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) {
        if (::GetFileType(handle) != FILE_TYPE_CHAR) {
            *message = CannotOpen(device, ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        // Wine cannot describe a pseudo-terminal another program left at a rate it has no name
        // for; the whole block is set below.
        dcb = {};
        dcb.DCBlength = sizeof dcb;
        dcb.XonLim = 2048;
        dcb.XoffLim = 512;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
    }
    line->settings_ = {};
    *reached = {0, device};
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        *message = InvalidDcb(settings, ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    dcb.BaudRate = static_cast<DWORD>(parsed->baud);
    dcb.ByteSize = static_cast<BYTE>(parsed->dataBits);
    dcb.Parity = parsed->parity == 'O' ? ODDPARITY : parsed->parity == 'E' ? EVENPARITY : NOPARITY;
    dcb.StopBits = parsed->stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = parsed->parity != 'N';
    // Raw bytes, no flow control, nothing replaced or dropped; DTR and RTS up as a POSIX open
    // leaves them.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(handle, &dcb)) {
        *message = InvalidDcb(settings, ::GetLastError());
        return nullptr;
    }
    line->settings_ = *parsed;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = kQueuedReadMs;
    timeouts.WriteTotalTimeoutMultiplier = kWritePerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteConstantMs;
    if (!::SetCommTimeouts(handle, &timeouts)) {
        *message = InvalidTimeouts(name, ::GetLastError());
        return nullptr;
    }
    line->readWaitMs_ = kQueuedReadMs;
    // A reopen must start clean: nothing left over from before.
    ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    return line;
}

WinSerialLine::~WinSerialLine() {
    if (handle_) ::CloseHandle(Handle(handle_));
}

long long WinSerialLine::Queued() const {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(Handle(handle_), &errors, &status)) return -1;
    return status.cbInQue;
}

bool WinSerialLine::SetReadWait(int ms) {
    if (ms == readWaitMs_) return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(ms);
    timeouts.WriteTotalTimeoutMultiplier = kWritePerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteConstantMs;
    if (!::SetCommTimeouts(Handle(handle_), &timeouts)) return false;
    readWaitMs_ = ms;
    return true;
}

LineWait WinSerialLine::WaitReadable(int timeoutMs) {
    // A device that has gone reads as readable and then fails, as a pulled adapter does on POSIX.
    if (!pending_.empty() || gone_) return LineWait::Readable;
    const long long queued = Queued();
    if (queued != 0) {
        gone_ = queued < 0;
        return LineWait::Readable;
    }
    if (timeoutMs <= 0) return LineWait::Silent;
    // One byte, waited for: the read ends as it comes, so its time is the module's.
    if (!SetReadWait(timeoutMs)) {
        gone_ = true;
        return LineWait::Readable;
    }
    uint8_t byte = 0;
    DWORD got = 0;
    if (!::ReadFile(Handle(handle_), &byte, 1, &got, nullptr)) {
        gone_ = true;
        return LineWait::Readable;
    }
    if (got == 0) return LineWait::Silent;
    pending_.push_back(byte);
    return LineWait::Readable;
}

LineIo WinSerialLine::ReadSome(uint8_t* into, size_t size) {
    size_t count = std::min(size, pending_.size());
    std::copy(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count), into);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    const auto result = [&] {
        if (count > 0) return LineIo::Bytes(static_cast<long long>(count));
        return LineIo{gone_ ? LineIo::Kind::Failed : LineIo::Kind::Again};
    };
    if (gone_ || count == size) return result();
    const long long queued = Queued();
    if (queued < 0) gone_ = true;
    const DWORD want = static_cast<DWORD>(std::min<long long>(queued, size - count));
    if (want == 0) return result();
    DWORD got = 0;
    if (readWaitMs_ <= 0 && !SetReadWait(kQueuedReadMs)) gone_ = true;
    if (!gone_ && !::ReadFile(Handle(handle_), into + count, want, &got, nullptr)) gone_ = true;
    count += got;
    return result();
}

LineIo WinSerialLine::WriteSome(const uint8_t* bytes, size_t size) {
    if (listenOnly_) return {LineIo::Kind::Failed};
    DWORD written = 0;
    if (!::WriteFile(Handle(handle_), bytes, static_cast<DWORD>(size), &written, nullptr))
        return {LineIo::Kind::Failed};
    return written > 0 ? LineIo::Bytes(written) : LineIo{LineIo::Kind::Again};
}

void WinSerialLine::DiscardInput() {
    pending_.clear();
    ::PurgeComm(Handle(handle_), PURGE_RXCLEAR);
}

void WinSerialLine::Drain() {
    ::FlushFileBuffers(Handle(handle_));
}

int WinSerialLine::Unsent() const {
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(Handle(handle_), &errors, &status) ? static_cast<int>(status.cbOutQue)
                                                               : 0;
}

double WinSerialLine::CharacterMicros() const {
    return ::CharacterMicros(settings_);
}
