#include "monitor/TrafficColumns.h"

#include <algorithm>
#include <vector>

#include "core/protocol/FrameDecoder.h"
#include "widgets/TextPieces.h"

namespace TrafficColumns {
namespace {
// Rows with the longest texts of each column, both directions.
std::vector<TrafficRow> Samples() {
    std::vector<TrafficRow> rows;
    TrafficRow request;
    request.msOfDay = 23 * 3600000 + 59 * 60000 + 59 * 1000 + 999;
    request.direction = TrafficRow::Sent;
    request.bytes = AppendCrc16(ReadRequest(247, 0x03, 2304, 32));
    request.crc = TrafficRow::CrcGood;
    request.staleBytes = 99;
    rows.push_back(request);

    TrafficRow reply;
    reply.msOfDay = request.msOfDay;
    reply.direction = TrafficRow::Received;
    reply.bytes = Frame(kWholeReplyBytes, 0x88);
    reply.responseMs = 99999;
    reply.expected = QString::number(kWholeReplyBytes);
    for (int v = static_cast<int>(TrafficVerdict::NotJudged);
         v < static_cast<int>(TrafficVerdict::Count); ++v) {
        reply.verdict = static_cast<TrafficVerdict>(v);
        for (TrafficRow::Crc crc : {TrafficRow::CrcGood, TrafficRow::CrcBad}) {
            reply.crc = crc;
            rows.push_back(reply);
        }
    }
    return rows;
}
}  // namespace

Widths Default(const QFont& textFont, const QFont& bytesFont, int padding) {
    Widths widths{};
    const std::vector<TrafficRow> rows = Samples();
    for (bool english : {false, true}) {
        const auto widen = [&](int column, const QString& text) {
            const QFont& font = column == TrafficTexts::Bytes ? bytesFont : textFont;
            widths[column] =
                std::max(widths[column], TextPieces::WidthOf(font, text) + 2 * padding);
        };
        for (const TrafficRow& row : rows) {
            for (int column = 0; column < TrafficTexts::ColumnCount; ++column)
                if (column != TrafficTexts::Meaning)
                    widen(column, TrafficTexts::Cell(row, column, english));
        }
        widen(TrafficTexts::Meaning, FrameDecoder::Request(rows.front().bytes, english));
        for (TrafficCause::Kind kind : {TrafficCause::PollA, TrafficCause::Calibration}) {
            TrafficCause cause;
            cause.kind = kind;
            widen(TrafficTexts::Cause, TrafficTexts::CauseText(cause, english));
        }
    }
    return widths;
}
}  // namespace TrafficColumns
