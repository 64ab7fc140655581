#include "core/protocol/FrameDecoder.h"

#include <QStringList>

namespace {
struct Phrases {
    const char* address;
    const char* broadcast;
    const char* startCount;
    const char* coilSet;
    const char* registerSet;
    const char* values;
    const char* states;
    const char* registersFrom;
    const char* registers;
    const char* statesFrom;
    const char* written;
    const char* exception;
    const char* unknownFunction;
    const char* unknownException;
    const char* tooShort;
    const char* badLength;
    const char* byteCount;
    const char* oddByteCount;
    const char* separator;
};

// clang-format off
const Phrases kEnglish = {
    "addr %1", "addr 0 (broadcast)", "start %1, count %2", "coil %1 = %2", "register %1 = %2",
    "values %1", "states %1", "%1 registers from %2: %3", "%1 registers: %2", "from %1: %2",
    "start %1, count %2 written", "exception to %1: %2 %3", "unknown function 0x%1",
    "unknown exception", "too short to decode (%1 bytes)", "length %1, expected %2",
    "byte count %1 but %2 bytes follow", "odd byte count %1", ", "};
const Phrases kChinese = {
    "地址 %1", "地址 0（广播）", "起始 %1，数量 %2", "线圈 %1 = %2", "寄存器 %1 = %2",
    "数值 %1", "状态 %1", "%1 个寄存器，自 %2 起：%3", "%1 个寄存器：%2", "自 %1 起：%2",
    "已写入：起始 %1，数量 %2", "%1 异常：%2 %3", "未知功能码 0x%1",
    "未知异常", "过短，无法解析（%1 字节）", "长度 %1，应为 %2",
    "字节数 %1，但其后有 %2 字节", "字节数 %1 为奇数", "，"};

struct Named {
    uint8_t code;
    const char* english;
    const char* chinese;
};
const Named kFunctions[] = {
    {0x01, "Read Coils", "读线圈"},
    {0x02, "Read Discrete Inputs", "读离散输入"},
    {0x03, "Read Holding Registers", "读保持寄存器"},
    {0x04, "Read Input Registers", "读输入寄存器"},
    {0x05, "Write Single Coil", "写单个线圈"},
    {0x06, "Write Single Register", "写单个寄存器"},
    {0x0F, "Write Multiple Coils", "写多个线圈"},
    {0x10, "Write Multiple Registers", "写多个寄存器"},
};
const Named kExceptions[] = {
    {0x01, "Illegal Function", "非法功能"},
    {0x02, "Illegal Data Address", "非法数据地址"},
    {0x03, "Illegal Data Value", "非法数据值"},
    {0x04, "Server Device Failure", "从站设备故障"},
    {0x05, "Acknowledge", "确认"},
    {0x06, "Server Device Busy", "从站设备忙"},
    {0x07, "Negative Acknowledge", "否定确认"},
    {0x08, "Memory Parity Error", "存储奇偶性差错"},
    {0x0A, "Gateway Path Unavailable", "网关路径不可用"},
    {0x0B, "Gateway Target Device Failed to Respond", "网关目标设备响应失败"},
};
// clang-format on

QString NameOf(const Named* begin, const Named* end, uint8_t code, bool english) {
    for (const Named* n = begin; n != end; ++n)
        if (n->code == code) return QString::fromUtf8(english ? n->english : n->chinese);
    return QString();
}

int Word(const Frame& f, size_t at) {
    return (f[at] << 8) | f[at + 1];
}

// Bits of coil or input bytes, first coil first, a blank after every eighth; `count` of them
// when known (negative: all).
QString Bits(const Frame& f, size_t from, size_t bytes, int count) {
    QString text;
    const int total = count < 0 ? static_cast<int>(bytes * 8) : count;
    for (int i = 0; i < total && static_cast<size_t>(i / 8) < bytes; ++i) {
        if (i > 0 && i % 8 == 0) text += ' ';
        text += (f[from + i / 8] >> (i % 8)) & 1 ? '1' : '0';
    }
    return text;
}

QString Words(const Frame& f, size_t from, size_t count) {
    QStringList values;
    for (size_t i = 0; i < count; ++i) values << QString::number(Word(f, from + 2 * i));
    return values.join(' ');
}

class Decoder {
  public:
    Decoder(const Frame& frame, bool english)
        : f_(frame), p_(english ? kEnglish : kChinese), english_(english) {}

    QString Request() {
        if (f_.size() < 4) return Say(p_.tooShort).arg(f_.size());
        QStringList parts = Head();
        const uint8_t fn = f_[1];
        switch (fn) {
            case 0x01:
            case 0x02:
            case 0x03:
            case 0x04:
                if (!LengthIs(8, parts)) break;
                parts << Say(p_.startCount).arg(Word(f_, 2)).arg(Word(f_, 4));
                break;
            case 0x05:
                if (!LengthIs(8, parts)) break;
                parts << Say(p_.coilSet).arg(Word(f_, 2)).arg(CoilValue(Word(f_, 4)));
                break;
            case 0x06:
                if (!LengthIs(8, parts)) break;
                parts << Say(p_.registerSet).arg(Word(f_, 2)).arg(Word(f_, 4));
                break;
            case 0x0F:
            case 0x10: {
                if (f_.size() < 10) {
                    parts << Say(p_.tooShort).arg(f_.size());
                    break;
                }
                parts << Say(p_.startCount).arg(Word(f_, 2)).arg(Word(f_, 4));
                const size_t follow = f_.size() - 9;
                if (f_[6] != follow) {
                    parts << Say(p_.byteCount).arg(int(f_[6])).arg(follow);
                } else if (fn == 0x10 && follow % 2 != 0) {
                    parts << Say(p_.oddByteCount).arg(int(f_[6]));
                } else {
                    parts << (fn == 0x0F ? Say(p_.states).arg(Bits(f_, 7, follow, Word(f_, 4)))
                                         : Say(p_.values).arg(Words(f_, 7, follow / 2)));
                }
                break;
            }
            default:
                break;
        }
        return parts.join(Say(p_.separator));
    }

    QString Reply(const Frame& request) {
        if (f_.size() < 4) return Say(p_.tooShort).arg(f_.size());
        QStringList parts = Head();
        const uint8_t fn = f_[1];
        const bool answers = request.size() >= 6 && request[1] == fn;
        switch (fn) {
            case 0x01:
            case 0x02:
            case 0x03:
            case 0x04: {
                if (f_.size() < 5) {
                    parts << Say(p_.tooShort).arg(f_.size());
                    break;
                }
                const size_t follow = f_.size() - 5;
                if (f_[2] != follow) {
                    parts << Say(p_.byteCount).arg(int(f_[2])).arg(follow);
                } else if (fn >= 0x03 && follow % 2 != 0) {
                    parts << Say(p_.oddByteCount).arg(int(f_[2]));
                } else if (fn >= 0x03) {
                    const QString values = Words(f_, 3, follow / 2);
                    parts << (answers ? Say(p_.registersFrom)
                                            .arg(follow / 2)
                                            .arg(Word(request, 2))
                                            .arg(values)
                                      : Say(p_.registers).arg(follow / 2).arg(values));
                } else {
                    const int asked = answers ? Word(request, 4) : -1;
                    parts << Say(p_.statesFrom)
                                 .arg(answers ? Word(request, 2) : 0)
                                 .arg(Bits(f_, 3, follow, asked));
                }
                break;
            }
            case 0x05:
            case 0x06:
                return Request();  // the echo of the request
            case 0x0F:
            case 0x10:
                if (!LengthIs(8, parts)) break;
                parts << Say(p_.written).arg(Word(f_, 2)).arg(Word(f_, 4));
                break;
            default:
                break;
        }
        return parts.join(Say(p_.separator));
    }

  private:
    QString Say(const char* phrase) const { return QString::fromUtf8(phrase); }

    // Address, then the function by name, or what the frame holds instead of a known function.
    QStringList Head() {
        QStringList parts;
        parts << (f_[0] == 0 ? Say(p_.broadcast) : Say(p_.address).arg(int(f_[0])));
        const uint8_t fn = f_[1];
        if (fn & 0x80) {
            const QString function = FrameDecoder::FunctionName(fn & 0x7F, english_);
            const QString exception = FrameDecoder::ExceptionName(f_[2], english_);
            parts << Say(p_.exception)
                         .arg(function.isEmpty() ? Hex(fn & 0x7F) : function)
                         .arg(Hex(f_[2]))
                         .arg(exception.isEmpty() ? Say(p_.unknownException) : exception);
            if (f_.size() != 5) parts << Say(p_.badLength).arg(f_.size()).arg(5);
            return parts;
        }
        const QString function = FrameDecoder::FunctionName(fn, english_);
        parts << (function.isEmpty() ? Say(p_.unknownFunction).arg(Hex(fn)) : function);
        return parts;
    }

    bool LengthIs(size_t bytes, QStringList& parts) {
        if (f_.size() == bytes) return true;
        parts << Say(p_.badLength).arg(f_.size()).arg(bytes);
        return false;
    }

    QString CoilValue(int value) const {
        if (value == 0xFF00) return QStringLiteral("ON");
        if (value == 0x0000) return QStringLiteral("OFF");
        return QStringLiteral("0x") + Hex(value >> 8) + Hex(value & 0xFF);
    }

    static QString Hex(int byte) {
        return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }

    const Frame& f_;
    const Phrases& p_;
    bool english_;
};
}  // namespace

namespace FrameDecoder {
QString Request(const Frame& frame, bool english) {
    return Decoder(frame, english).Request();
}

QString Reply(const Frame& frame, const Frame& request, bool english) {
    return Decoder(frame, english).Reply(request);
}

QString FunctionName(uint8_t function, bool english) {
    return NameOf(std::begin(kFunctions), std::end(kFunctions), function, english);
}

QString ExceptionName(uint8_t code, bool english) {
    return NameOf(std::begin(kExceptions), std::end(kExceptions), code, english);
}
}  // namespace FrameDecoder
