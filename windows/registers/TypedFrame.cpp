#include "windows/registers/TypedFrame.h"

TypedFrame ParseTypedFrame(const QString& text) {
    TypedFrame frame;
    const int length = static_cast<int>(text.size());
    int last = length / 3;  // index of the last byte sent
    if (last <= 1) return frame;
    if (length % 3 != 2) --last;
    const auto refuse = [&frame, &text](int at, bool separator) {
        frame.badPosition = at + 1;
        frame.badCharacter = text[at];
        frame.badSeparator = separator;
        return frame;
    };
    Frame bytes;
    for (int k = 0; k <= last; ++k) {
        int value = 0;
        for (int at = 3 * k; at <= 3 * k + 1; ++at) {
            const int digit = HexDigitValue(text.mid(at, 1));
            if (digit < 0) return refuse(at, false);
            value = value * 16 + digit;
        }
        const int separator = 3 * k + 2;
        if (separator < length && text[separator] != QLatin1Char(' '))
            return refuse(separator, true);
        bytes.push_back(static_cast<uint8_t>(value));
    }
    frame.bytes = std::move(bytes);
    return frame;
}
