#pragma once
// A frame typed in hexadecimal by the technician, CRC included, sent as it stands.
#include <QString>

#include "core/protocol/Modbus.h"

struct TypedFrame {
    Frame bytes;  // empty: nothing to send
    // 1-based position of the first character that does not belong where it stands, 0 if none:
    // a digit position holding no hex digit, or a separator position holding no blank.
    int badPosition = 0;
    QChar badCharacter;
    bool badSeparator = false;
};

// Byte groups of three characters, two hex digits (either case) and a blank. A text shorter than
// six characters holds no frame; a trailing group without its blank counts only when both its
// digits are there. Any character out of place refuses the whole frame, so a frame typed without
// blanks ("010300640001C5D5") never goes out garbled.
TypedFrame ParseTypedFrame(const QString& text);
