#pragma once
// The bytes and bits of the digital modules: discrete-input polls and their replies, multiple-coil
// writes, and the four output presets. Plain functions, so the wire format is tested on its own.
#include <QString>
#include <string_view>
#include <vector>

#include "core/protocol/Modbus.h"

namespace DigitalCodec {

// How many digital inputs a model's window polls (function 02 from input 0); 0 for a model
// without inputs.
constexpr int InputCountOf(std::string_view model) {
    if (model == "ZN330") return 16;
    if (model == "ZN310" || model == "ZN350") return 8;
    if (model == "ZN410" || model == "ZN420" || model == "ZN430") return 4;
    return 0;
}

// Read `inputCount` discrete inputs (function 02) from input 0.
Frame InputPollRequest(uint8_t address, int inputCount);

// Reply length in bytes of that poll: address, function, byte count, data, CRC.
int InputReplyBytes(int inputCount);

// The input states of an accepted function 02 reply in received-text form. Inputs are packed
// least significant bit first, so input 4k+b is bit b of nibble k, and the nibbles stand at the
// 1-based character positions 11, 10 (first data byte, low then high) and 14, 13 (second byte).
std::vector<bool> InputStatesOfReply(const QString& receivedText, int inputCount);

// Write the coils 0..n-1 (function 0F): one data byte for up to eight coils, two for sixteen.
Frame CoilWriteRequest(uint8_t address, const std::vector<bool>& coils);

// The presets "HALF ON1", "HALF ON2", "ALL ON", "ALL OFF" (index 0..3): whether `output` is on.
bool PresetTurnsOn(int preset, int output);
inline const char* const kPresetCaptions[4] = {"HALF ON1", "HALF ON2", "ALL ON", "ALL OFF"};

}  // namespace DigitalCodec
