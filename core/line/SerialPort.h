#pragma once
// The process's port: the one line the work windows share, as the original program had one port.
// Each function acts on that line (core/line/Line); everything else that talks or listens holds
// line objects of its own.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/line/Line.h"
#include "core/line/PortNames.h"

namespace SerialPort {
// The line behind every function here.
Line& Port();

using ReadTiming = LineReadTiming;
using WireBytes = LineWireBytes;
using ArrivalSink = LineArrivalSink;
using ::SteadyMicros;
using PortNames::ComNumber;
using PortNames::DevicePath;

inline std::array<uint8_t, 256>& PortBuffer() {
    return Port().Buffer();
}
inline bool OpenPort(const QString& name, const QString& settings) {
    return Port().Open(name, settings);
}
inline bool ReopenPort(const QString& name, const QString& settings) {
    return Port().Reopen(name, settings);
}
inline void ClosePort() {
    Port().Close();
}
inline bool OpenListening(const QString& name, const QString& settings) {
    return Port().OpenListening(name, settings);
}
inline bool Listening() {
    return Port().Listening();
}
inline void SetArrivalSink(ArrivalSink sink) {
    Port().SetArrivalSink(std::move(sink));
}
inline void TakeArrivals() {
    Port().TakeArrivals();
}
inline void FlushPort() {
    Port().Flush();
}
inline int WritePort(int n) {
    return Port().Write(n);
}
inline int DiscardedBeforeWrite() {
    return Port().DiscardedBeforeWrite();
}
inline bool Vanished() {
    return Port().Vanished();
}
inline QString ReadPortHex() {
    return Port().ReadHex();
}
inline bool IsOpen() {
    return Port().IsOpen();
}
inline bool KeepsGatewaySettings() {
    return Port().KeepsGatewaySettings();
}
inline bool WaitForInput(int timeoutMs) {
    return Port().WaitForInput(timeoutMs);
}
inline ReadTiming LastReadTiming() {
    return Port().LastReadTiming();
}
inline int64_t LastRequestEndUs() {
    return Port().LastRequestEndUs();
}
inline int64_t SilenceMicros() {
    return Port().SilenceMicros();
}
inline WireBytes LastWire() {
    return Port().LastWire();
}
}  // namespace SerialPort
