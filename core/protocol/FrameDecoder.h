#pragma once
// What a Modbus RTU frame says, in words: address, function by name, start and count, the values
// written or read, an exception by its name, or why the bytes cannot be read as a frame. Frames
// are given whole, CRC included; the CRC itself is judged elsewhere.
#include <QString>

#include "core/protocol/Modbus.h"

namespace FrameDecoder {
// A request as the program sent it.
QString Request(const Frame& frame, bool english);
// A reply. `request` is the frame it answers (may be empty): it gives a read's start address and
// how many of the bits read were asked for.
QString Reply(const Frame& frame, const Frame& request, bool english);

// "Read Holding Registers" / "读保持寄存器"; empty for a function the tool does not know.
QString FunctionName(uint8_t function, bool english);
// "Illegal Data Address" / "非法数据地址"; empty for an undefined code.
QString ExceptionName(uint8_t code, bool english);
}  // namespace FrameDecoder
