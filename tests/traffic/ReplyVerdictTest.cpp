// The reason a reply is refused comes from the judging itself: each verdict, and the wrapper that
// only says yes or no agreeing with it. A reply shorter than the one due is too short whatever it
// holds; bytes of full length whose CRC fails are noise: only a well-formed frame can be too long,
// from another module or for another function.
#include <gtest/gtest.h>

#include "core/protocol/Modbus.h"

namespace {
QString Framed(const char* body) {
    return SentTextOf(AppendCrc16(BytesOfText(QString::fromLatin1(body))));
}
}  // namespace

TEST(ReplyVerdict, EachReasonFromTheJudge) {
    const QString poll = "01 03 00 00 00 04 44 09 ";
    const QString good = Framed("01 03 08 02 6C 02 6D 02 6E 02 6F");
    QString badCrc = good;
    badCrc[good.size() - 2] = good[good.size() - 2] == '0' ? '1' : '0';
    struct {
        QString received;
        QString sent;
        std::vector<int> expected;
        ReplyVerdict verdict;
    } cases[] = {
        {good, poll, {13}, ReplyVerdict::Accepted},
        {"", poll, {13}, ReplyVerdict::NoReply},
        {Framed("01 03 06 02 6C 02 6D 02 6E"), poll, {13}, ReplyVerdict::TooShort},
        {Framed("01 03 08 02 6C 02 6D 02 6E 02 6F 00"), poll, {13}, ReplyVerdict::TooLong},
        {Framed("02 03 08 02 6C 02 6D 02 6E 02 6F"), poll, {13}, ReplyVerdict::WrongAddress},
        {Framed("01 04 08 02 6C 02 6D 02 6E 02 6F"), poll, {13}, ReplyVerdict::WrongFunction},
        {"01 83 02 C0 F1 ", poll, {13}, ReplyVerdict::Exception},
        {"01 83 02 C0 F1 ", poll, {5}, ReplyVerdict::Exception},
        // An exception from another address is another module's business.
        {Framed("02 83 02"), poll, {13}, ReplyVerdict::TooShort},
        {Framed("02 83 02"), poll, {5}, ReplyVerdict::WrongAddress},
        {badCrc, poll, {13}, ReplyVerdict::BadCrc},
        // Shorter than the reply due is too short, whatever its last two bytes: a cut reply (the
        // ZN210 reply seen cut at 7 of 13 bytes), a broken exception, a short burst.
        {good.left(good.size() - 3), poll, {13}, ReplyVerdict::TooShort},
        {"01 03 08 02 6C 02 6D ", poll, {13}, ReplyVerdict::TooShort},
        {"01 83 02 C0 F2 ", poll, {13}, ReplyVerdict::TooShort},
        {"FE 7F 3C ", poll, {13}, ReplyVerdict::TooShort},
        // Noise at the full length or longer, whatever its first bytes: a reply with a byte before
        // it, bursts whose address or function differ.
        {"00 " + good, poll, {13}, ReplyVerdict::BadCrc},
        {"FF 03 08 02 6C 02 6D 02 6E 02 6F 00 00 ", poll, {13}, ReplyVerdict::BadCrc},
        {"01 FF 08 02 6C 02 6D 02 6E 02 6F 00 00 ", poll, {13}, ReplyVerdict::BadCrc},
        // Characters that are not bytes make no frame.
        {good.left(good.size() - 3) + "<A ", poll, {13}, ReplyVerdict::BadCrc},
        {good, "", {13}, ReplyVerdict::WrongAddress},
        // Either of two lengths; a miss is judged against the nearer.
        {Framed("01 06 00 30 00 01"), "01 06 00 30 00 01 48 05 ", {8, 17}, ReplyVerdict::Accepted},
        {Framed("01 06 00 30 00 01 00"),
         "01 06 00 30 00 01 48 05 ",
         {8, 17},
         ReplyVerdict::TooLong},
        {Framed("01 06 00 30 00 01 00 00 00 00 00 00 00"),
         "01 06 00 30 00 01 48 05 ",
         {8, 17},
         ReplyVerdict::TooShort},
        {Framed("01 07 00 30 00 01"),
         "01 06 00 30 00 01 48 05 ",
         {8, 17},
         ReplyVerdict::WrongFunction},
        {"02 06 00 30 00 01 48 05 ", "01 06 00 30 00 01 48 05 ", {8, 17}, ReplyVerdict::BadCrc},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeReply(c.received, c.sent, c.expected), c.verdict)
            << c.received.toStdString() << " to " << c.sent.toStdString();
        if (c.expected.size() == 1)
            EXPECT_EQ(ReplyAccepted(c.received, c.sent, c.expected[0]),
                      c.verdict == ReplyVerdict::Accepted)
                << c.received.toStdString();
    }
}
