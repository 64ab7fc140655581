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
    // Digit positions are fixed by the groups of three; the separators are never read.
    const int groups = length / 3 + (length % 3 == 2 ? 1 : 0);
    if (frame.badPosition > 0) {
        FuzzCheck(frame.bytes.empty(), "a refused frame sends nothing");
        FuzzCheck(frame.badPosition <= 3 * groups, "the bad position lies in a counted group");
        const int at = frame.badPosition - 1;
        FuzzCheck(text[at] == frame.badCharacter,
                  "the bad character is the one at the bad position");
        if (at % 3 != 2)
            FuzzCheck(HexDigitValue(QString(frame.badCharacter)) < 0,
                      "a digit position is refused only for a character that is no digit");
        else
            FuzzCheck(frame.badCharacter != QLatin1Char(' '), "a blank separator is never refused");
        for (int before = 0; before < at; ++before)
            if (before % 3 != 2)
                FuzzCheck(HexDigitValue(text.mid(before, 1)) >= 0,
                          "the first bad digit is reported");
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
