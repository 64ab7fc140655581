#include "core/modules/DigitalCodec.h"

namespace DigitalCodec {

Frame InputPollRequest(uint8_t address, int inputCount) {
    return ReadRequest(address, 0x02, 0, inputCount);
}

int InputReplyBytes(int inputCount) {
    return 5 + (inputCount + 7) / 8;
}

std::vector<bool> InputStatesOfReply(const QString& receivedText, int inputCount) {
    // 0-based positions of nibble k: low half before high half within each data byte.
    static constexpr int kNibbleAt[4] = {10, 9, 13, 12};
    std::vector<bool> states(inputCount, false);
    for (int k = 0; k * 4 < inputCount && k < 4; ++k) {
        const int digit = HexDigitValue(receivedText.mid(kNibbleAt[k], 1));
        const int value = digit < 0 ? 0 : digit;
        for (int b = 0; b < 4 && 4 * k + b < inputCount; ++b) states[4 * k + b] = (value >> b) & 1;
    }
    return states;
}

Frame CoilWriteRequest(uint8_t address, const std::vector<bool>& coils) {
    const int count = static_cast<int>(coils.size());
    const int byteCount = (count + 7) / 8;
    Frame body = {address,
                  0x0F,
                  0x00,
                  0x00,
                  HighByte(count),
                  LowByte(count),
                  static_cast<uint8_t>(byteCount)};
    for (int byte = 0; byte < byteCount; ++byte) {
        uint8_t data = 0;
        for (int bit = 0; bit < 8 && 8 * byte + bit < count; ++bit)
            if (coils[8 * byte + bit]) data |= static_cast<uint8_t>(1 << bit);
        body.push_back(data);
    }
    return body;
}

bool PresetTurnsOn(int preset, int output) {
    switch (preset) {
        case 0:
            return output % 2 == 0;
        case 1:
            return output % 2 == 1;
        case 2:
            return true;
        default:
            return false;
    }
}

}  // namespace DigitalCodec
