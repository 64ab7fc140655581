// At its first size the monitor shows the longest reply of each function-test window whole, in
// either language, with its time, direction, response, CRC and verdict; a meaning or a register
// block too long for its column is cut with "…" and whole in its tooltip.
#include <gtest/gtest.h>

#include <QTableView>

#include "base/Switches.h"
#include "core/traffic/TrafficLog.h"
#include "core/traffic/TrafficTexts.h"
#include "monitor/TrafficDelegate.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficMonitor.h"

namespace {
// A read of `count` holding registers from 0 at address 1, and its reply with changing values.
std::pair<Frame, Frame> Exchange(int count, bool badCrc) {
    Frame reply{1, 0x03, static_cast<uint8_t>(2 * count)};
    for (int k = 0; k < count; ++k) {
        reply.push_back(static_cast<uint8_t>(k));
        reply.push_back(static_cast<uint8_t>(0x40 + 3 * k));
    }
    reply = AppendCrc16(reply);
    if (badCrc) reply.back() ^= 0x01;
    return {AppendCrc16(ReadRequest(1, 0x03, 0, count)), reply};
}
}  // namespace

TEST(TrafficColumns, EachWindowsLongestReplyShowsWholeAtTheFirstSize) {
    const struct {
        const char* window;
        int registers;
        bool badCrc;
        ReplyVerdict verdict;
        std::vector<int> expected;
        bool whole;  // the bytes fit; else they and the meaning are cut
    } replies[] = {
        {"ZN210Frm, four temperatures, bad CRC", 4, true, ReplyVerdict::BadCrc, {13}, true},
        {"an eight-channel input window", 8, false, ReplyVerdict::Accepted, {21}, true},
        {"an output window's calibration, cut", 6, false, ReplyVerdict::TooShort, {21}, true},
        {"the register window's 32-register block", 32, false, ReplyVerdict::Accepted, {69}, false},
    };
    const int language = Switches().EnglishUi;
    TrafficLog& log = TrafficLog::Instance();
    for (bool english : {false, true}) {
        Switches().EnglishUi = english ? 1 : 0;
        for (const auto& r : replies) {
            SCOPED_TRACE(std::string(r.window) + (english ? ", English" : ", Chinese"));
            log.Clear();
            const auto [request, reply] = Exchange(r.registers, r.badCrc);
            log.NoteRequest(request, static_cast<int>(request.size()), 0, {});
            log.NoteReply(reply, log.Now(), r.verdict, r.expected);
            TrafficMonitor monitor;
            monitor.show();
            QTableView& table = *monitor.Table();
            const auto& delegate = *static_cast<TrafficDelegate*>(table.itemDelegate());
            const QModelIndex replyRow = monitor.Model()->index(1, 0);
            ASSERT_TRUE(replyRow.isValid());
            for (int column : {TrafficTexts::Time, TrafficTexts::Direction, TrafficTexts::Bytes,
                               TrafficTexts::Meaning, TrafficTexts::Response, TrafficTexts::Crc,
                               TrafficTexts::Verdict}) {
                SCOPED_TRACE(TrafficTexts::ColumnNames(true)[column].toStdString());
                const QModelIndex cell = replyRow.siblingAtColumn(column);
                const QString text = cell.data(Qt::DisplayRole).toString();
                ASSERT_FALSE(text.isEmpty());
                EXPECT_LE(table.columnViewportPosition(column) + table.columnWidth(column),
                          table.viewport()->width());
                const QString shown = delegate.Shown(cell, table.font(), table.columnWidth(column));
                const bool mayBeCut = column == TrafficTexts::Meaning;
                const bool mustBeCut =
                    !r.whole && (column == TrafficTexts::Bytes || column == TrafficTexts::Meaning);
                if (shown == text) {
                    EXPECT_FALSE(mustBeCut) << text.toStdString();
                    continue;
                }
                EXPECT_TRUE(mayBeCut || mustBeCut) << shown.toStdString();
                EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
                EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), text);
            }
            // Verdict and cause may be cut too: their whole text is in the tooltip.
            for (int column : {TrafficTexts::Verdict, TrafficTexts::Cause}) {
                const QModelIndex cell = replyRow.siblingAtColumn(column);
                EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(),
                          cell.data(Qt::DisplayRole).toString());
            }
        }
    }
    Switches().EnglishUi = language;
}
