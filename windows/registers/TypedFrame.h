#pragma once
// A frame typed in hexadecimal by the technician, CRC included, sent as it stands.
#include <QString>

#include "link/Modbus.h"

struct TypedFrame {
    Frame bytes;          // empty: nothing to send
    int badPosition = 0;  // 1-based position of the first digit that is not hexadecimal, 0 if none
    QChar badCharacter;
};

// Byte groups of three characters, two hex digits (either case) and a separator of any kind. A
// text shorter than six characters holds no frame; a trailing group without its separator counts
// only when both its digits are there. A digit position holding anything else refuses the whole
// frame.
TypedFrame ParseTypedFrame(const QString& text);
