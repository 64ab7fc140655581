#include "core/line/NetLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "base/Switches.h"
#include "base/TextTable.h"
#include "core/line/LineTexts.h"
#include "core/line/PortErrors.h"
#include "core/line/SystemErrors.h"

namespace {
// The longest the event loop is kept waiting while a gateway is awaited.
constexpr int kSliceMs = 20;

// Waits up to `timeoutMs` for input on `socket`, letting the event loop turn between short
// slices.
LineWait WaitTurning(NetSocket& socket, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int left = static_cast<int>(timeoutMs - clock.elapsed());
        if (left <= 0) return LineWait::Silent;
        const LineWait ready = socket.WaitReadable(qMin(left, kSliceMs));
        if (ready == LineWait::Readable || ready == LineWait::HungUp) return ready;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

// The message everyone knows, and under it why and what to check.
QString CannotConnect(const QString& name, NetFailure failure, int error) {
    return Tt(TextKey::MsgPortUnavailable) + '\n' +
           PortErrors::ExplainConnect(name, failure, error);
}

}  // namespace

std::unique_ptr<NetLine> NetLine::Open(const QString& name, const QString& settings,
                                       QString* message, bool listenOnly) {
    const auto address = ParseNetAddress(name);
    if (!address) {
        *message = CannotConnect(name, NetFailure::BadAddress, 0);
        return nullptr;
    }
    if (listenOnly && address->kind == NetKind::ModbusTcp) {
        *message = LineTexts::CannotListenModbusTcp(Switches().EnglishUi == 1).arg(name);
        return nullptr;
    }
    // A bad settings string is refused before anything is connected, as for a device.
    if (!ParseLineSettings(settings)) {
        *message = QStringLiteral("Invalid device DCB %1 error: %2")
                       .arg(settings)
                       .arg(SystemErrors::InvalidSettings());
        return nullptr;
    }
    std::unique_ptr<NetLine> line(new NetLine);
    NetFailure failure = NetFailure::Other;
    int error = 0;
    if (!line->socket_.Connect(*address, kConnectTimeoutMs, &failure, &error)) {
        *message = CannotConnect(name, failure, error);
        return nullptr;
    }
    line->address_ = *address;
    line->name_ = name;
    line->listenOnly_ = listenOnly;
    if (address->kind == NetKind::Rfc2217 && !line->SendAll(line->telnet_.Greeting())) {
        *message = CannotConnect(name, NetFailure::Other, line->socket_.LastError());
        return nullptr;
    }
    if (!line->Apply(settings, message)) return nullptr;
    // A listener's silences are the bus's, at the settings the user says the bus runs at.
    if (listenOnly && !line->settingsKnown_) {
        line->settings_ = *ParseLineSettings(settings);
        line->settingsKnown_ = true;
    }
    return line;
}

NetLine::~NetLine() = default;

bool NetLine::SendAll(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const LineIo got = socket_.Send(bytes.data() + sent, bytes.size() - sent);
        if (got.Moved()) {
            sent += static_cast<size_t>(got.count);
            continue;
        }
        if (got.kind == LineIo::Kind::Again) {
            if (socket_.WaitWritable(kConnectTimeoutMs)) continue;
            socket_.SetError(NetSocket::TimedOutError());
        }
        return false;
    }
    return true;
}

bool NetLine::Alive() {
    uint8_t scratch[256];
    for (;;) {
        const LineIo got = ReadSome(scratch, sizeof scratch);
        if (got.Moved()) continue;
        return got.kind == LineIo::Kind::Again;
    }
}

bool NetLine::Apply(const QString& settings, QString* message) {
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) {
        *message = QStringLiteral("Invalid device DCB %1 error: %2")
                       .arg(settings)
                       .arg(SystemErrors::InvalidSettings());
        return false;
    }
    if (address_.kind != NetKind::Rfc2217) return true;  // the gateway's own settings apply
    telnet_.ForgetAcks();
    if (!SendAll(Rfc2217::LineCommands(*parsed))) {
        *message = CannotConnect(name_, NetFailure::Other, socket_.LastError());
        return false;
    }
    // Until the gateway says the line is set, a request would go out at the old settings. Data
    // meanwhile belongs to no request: a re-open starts clean.
    QElapsedTimer clock;
    clock.start();
    uint8_t scratch[256];
    while (!telnet_.LineAcknowledged()) {
        const int left = static_cast<int>(kSettingsTimeoutMs - clock.elapsed());
        const bool woke = left > 0 && WaitTurning(socket_, left) != LineWait::Silent;
        const LineIo got = woke ? ReadSome(scratch, sizeof scratch) : LineIo{};
        if (got.Moved() || (got.kind == LineIo::Kind::Again && woke)) continue;
        *message = CannotConnect(
            name_, woke ? NetFailure::Other : NetFailure::NoLineSettings,
            got.kind == LineIo::Kind::Empty ? NetSocket::ResetError() : socket_.LastError());
        return false;
    }
    // A gateway that cannot take a setting answers with what it kept: requests would go out
    // at settings nobody chose.
    if (telnet_.Acks() != Rfc2217::AcksOf(*parsed)) {
        *message =
            Tt(TextKey::MsgPortUnavailable) + '\n' +
            PortErrors::ExplainSettingsRefused(name_, Rfc2217::AcksText(Rfc2217::AcksOf(*parsed)),
                                               Rfc2217::AcksText(telnet_.Acks()));
        return false;
    }
    settings_ = *parsed;
    settingsKnown_ = true;
    return true;
}

LineIo NetLine::ReadSome(uint8_t* into, size_t size) {
    if (address_.kind == NetKind::RawTcp) return socket_.Receive(into, size);
    if (address_.kind == NetKind::ModbusTcp) {
        for (;;) {
            while (auto reply = mbap_.Next()) {
                receivedWire_ = reply->mbap;
                // Another request's reply (a late one, or a gateway's mistake) is not this one's.
                if (reply->transaction != transaction_) {
                    ++wrongTransactions_;
                    continue;
                }
                const size_t count = std::min(size, reply->rtu.size());
                std::copy(reply->rtu.begin(), reply->rtu.begin() + count, into);
                return LineIo::Bytes(static_cast<long long>(count));
            }
            uint8_t raw[512];
            const LineIo got = socket_.Receive(raw, sizeof raw);
            if (!got.Moved()) return got;
            mbap_.Feed(raw, static_cast<size_t>(got.count));
        }
    }
    // The Telnet stream is never longer than its data: as many raw bytes as there is room for.
    uint8_t raw[512];
    for (;;) {
        const LineIo got = socket_.Receive(raw, std::min(size, sizeof raw));
        if (!got.Moved()) return got;
        Rfc2217::Bytes data, reply;
        telnet_.Feed(raw, static_cast<size_t>(got.count), &data, &reply);
        if (!reply.empty()) SendAll(reply);
        if (data.empty()) continue;  // only Telnet's own talk: read on, or say nothing waits
        std::copy(data.begin(), data.end(), into);
        return LineIo::Bytes(static_cast<long long>(data.size()));
    }
}

void NetLine::DiscardInput() {
    mbap_ = {};  // a reply's beginning would spoil the next one's
}

LineIo NetLine::WriteSome(const uint8_t* bytes, size_t size) {
    if (listenOnly_) return {LineIo::Kind::Failed};
    if (address_.kind == NetKind::RawTcp) return socket_.Send(bytes, size);
    if (address_.kind == NetKind::ModbusTcp) {
        sentWire_ = ModbusTcp::Wrap(++transaction_, bytes, size);
        receivedWire_.clear();
        if (!SendAll(sentWire_)) return {LineIo::Kind::Failed};
        return LineIo::Bytes(static_cast<long long>(size));
    }
    // Escaped data goes whole or not at all, so the count taken is the caller's.
    if (!SendAll(Rfc2217::Escape(bytes, size))) return {LineIo::Kind::Failed};
    return LineIo::Bytes(static_cast<long long>(size));
}

void NetLine::Drain() {
    // Written bytes are in the kernel's hands: nothing of ours waits to go.
}

double NetLine::CharacterMicros() const {
    // A gateway that keeps its own settings keeps its own silences too.
    return settingsKnown_ ? ::CharacterMicros(settings_) : 0;
}
