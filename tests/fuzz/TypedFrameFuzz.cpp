// The Text_Send text of the register window's typed frame, as UTF-8.
#include <QString>

#include "tests/fuzz/FuzzTargets.h"
#include "windows/registers/TypedFrame.h"

int FuzzTypedFrame(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TypedFrame frame = ParseTypedFrame(text);
    const int length = static_cast<int>(text.size());

    if (length < 6) {
        FuzzCheck(frame.bytes.empty() && frame.badPosition == 0, "a short text holds no frame");
        return 0;
    }
    // Positions are fixed by the groups of three: two hex digits, then a blank (which the last
    // group may lack). The first character out of place refuses the frame.
    const int groups = length / 3 + (length % 3 == 2 ? 1 : 0);
    int firstBad = -1;
    for (int at = 0; at < 3 * groups && at < length && firstBad < 0; ++at) {
        const bool separator = at % 3 == 2;
        if (separator ? text[at] != QLatin1Char(' ') : HexDigitValue(text.mid(at, 1)) < 0)
            firstBad = at;
    }
    FuzzCheck(frame.badPosition == firstBad + 1, "the first character out of place is reported");
    if (frame.badPosition > 0) {
        FuzzCheck(frame.bytes.empty(), "a refused frame sends nothing");
        FuzzCheck(text[firstBad] == frame.badCharacter,
                  "the bad character is the one at the bad position");
        FuzzCheck(frame.badSeparator == (firstBad % 3 == 2), "a bad separator is told as such");
        return 0;
    }
    FuzzCheck(static_cast<int>(frame.bytes.size()) == groups, "one byte per complete group");
    for (int k = 0; k < groups; ++k) {
        const int value =
            HexDigitValue(text.mid(3 * k, 1)) * 16 + HexDigitValue(text.mid(3 * k + 1, 1));
        FuzzCheck(frame.bytes[k] == value, "each byte is the value of its two digits");
    }
    // What the window shows of the frame reads back as the same frame.
    const QString shown = SentTextOf(frame.bytes);
    FuzzCheck(BytesOfText(shown) == frame.bytes, "the shown frame reads back as sent");
    FuzzCheck(ParseTypedFrame(shown).bytes == frame.bytes, "the shown frame types the same frame");
    return 0;
}
