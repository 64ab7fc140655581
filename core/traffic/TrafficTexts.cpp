#include "core/traffic/TrafficTexts.h"

#include <QTime>

#include "core/traffic/TrafficLog.h"

namespace {
QString Pick(bool english, const char* en, const char* zh) {
    return QString::fromUtf8(english ? en : zh);
}

QString SpacedHex(const Frame& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(static_cast<int>(bytes.size()) * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += ' ';
        text += QLatin1Char(digits[bytes[i] >> 4]);
        text += QLatin1Char(digits[bytes[i] & 0x0F]);
    }
    return text;
}

// The reason alone, as the verdict column and the summary name it.
QString Reason(TrafficVerdict verdict, bool english) {
    switch (verdict) {
        case TrafficVerdict::Request:
            return QString();
        case TrafficVerdict::NotJudged:
            return Pick(english, "shown unjudged (typed frame)", "未判定（手动报文）");
        case TrafficVerdict::Accepted:
            return Pick(english, "accepted", "接受");
        case TrafficVerdict::NoReply:
            return Pick(english, "no reply", "无应答");
        case TrafficVerdict::Unanswered:
            return Pick(english, "broadcast, no reply expected", "广播，无需应答");
        case TrafficVerdict::TooShort:
            return Pick(english, "too short", "过短");
        case TrafficVerdict::TooLong:
            return Pick(english, "too long", "过长");
        case TrafficVerdict::WrongAddress:
            return Pick(english, "wrong address", "地址不符");
        case TrafficVerdict::WrongFunction:
            return Pick(english, "wrong function", "功能码不符");
        case TrafficVerdict::Exception:
            return Pick(english, "exception", "异常应答");
        case TrafficVerdict::BadCrc:
            return Pick(english, "bad CRC", "CRC 错误");
        case TrafficVerdict::WrongTransaction:
            return Pick(english, "another transaction's reply", "事务标识不符");
        case TrafficVerdict::Abandoned:
            return Pick(english, "abandoned", "放弃");
        case TrafficVerdict::Late:
            return Pick(english, "late", "应答过迟");
        case TrafficVerdict::Noise:
            return Pick(english, "noise, no frame", "干扰（非报文）");
        case TrafficVerdict::Count:
            break;
    }
    return QString();
}
QString AbandonReason(TrafficAbandon why, bool english) {
    switch (why) {
        case TrafficAbandon::LoopSwitched:
            return Pick(english, "the other loop was started", "已切换到另一采集");
        case TrafficAbandon::Command:
            return Pick(english, "paused for a command", "为单次命令暂停");
        case TrafficAbandon::WindowClosed:
            return Pick(english, "window closed", "窗口已关闭");
        case TrafficAbandon::PortClosed:
            return Pick(english, "port closed", "串口已关闭");
        case TrafficAbandon::Reopened:
            return Pick(english, "port opened again", "串口已重新打开");
        case TrafficAbandon::NextRequest:
            return Pick(english, "another request went first", "已发送下一请求");
    }
    return QString();
}
}  // namespace

namespace TrafficTexts {
QStringList ColumnNames(bool english) {
    if (english)
        return {"Time", "Dir", "Bytes", "Meaning", "Response ms", "CRC", "Verdict", "Cause"};
    return {"时间", "方向", "报文", "含义", "响应 ms", "CRC", "判定", "起因"};
}

QString TimeOfDay(int msOfDay) {
    return QTime::fromMSecsSinceStartOfDay(msOfDay).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString CauseText(const TrafficCause& cause, bool english) {
    switch (cause.kind) {
        case TrafficCause::Unknown:
            return QString();
        case TrafficCause::Listened:
            return Pick(english, "heard on the bus", "总线监听");
        case TrafficCause::PollA:
            return Pick(english, "poll loop A", "轮询 A");
        case TrafficCause::PollB:
            return Pick(english, "poll loop B", "轮询 B");
        case TrafficCause::Write:
            return Pick(english, "write", "写入");
        case TrafficCause::Adjust:
            return Pick(english, "adjust", "调整");
        case TrafficCause::Calibration:
            return Pick(english, "calibration", "标定");
        case TrafficCause::Search:
            return Pick(english, "search step %1 of %2, %3", "搜索第 %1/%2 步，%3")
                .arg(cause.step)
                .arg(cause.steps)
                .arg(cause.settings);
        case TrafficCause::TypedFrame:
            return Pick(english, "typed frame", "手动报文");
        case TrafficCause::Scan:
            return Pick(english, "scan address %1, %2", "扫描地址 %1，%2")
                .arg(cause.step)
                .arg(cause.settings);
        case TrafficCause::BatchFind:
            return Pick(english, "batch: looking for a module, %1", "批量：查找模块，%1")
                .arg(cause.settings);
        case TrafficCause::BatchWrite:
            return Pick(english, "batch: write to address %1, %2", "批量：写入地址 %1，%2")
                .arg(cause.step)
                .arg(cause.settings);
        case TrafficCause::BatchVerify:
            return Pick(english, "batch: read back address %1, %2", "批量：回读地址 %1，%2")
                .arg(cause.step)
                .arg(cause.settings);
        case TrafficCause::BatchRemoval:
            return Pick(english, "batch: is the module still there, %1", "批量：模块是否已取下，%1")
                .arg(cause.settings);
    }
    return QString();
}

QString VerdictText(const TrafficRow& row, bool english) {
    if (row.direction == TrafficRow::Sent) {
        QStringList notes;
        if (row.staleBytes > 0)
            notes << Pick(english, "%1 stale bytes discarded before the request",
                          "请求前丢弃 %1 个残留字节")
                         .arg(row.staleBytes);
        if (row.unwritten > 0)
            notes << Pick(english, "%1 bytes not written", "%1 字节未写出").arg(row.unwritten);
        return notes.join(Pick(english, "; ", "；"));
    }
    const QString reason = Reason(row.verdict, english);
    if (row.verdict == TrafficVerdict::Abandoned)
        return Pick(english, "abandoned: %1", "放弃：%1").arg(AbandonReason(row.abandon, english));
    if (!row.Rejected()) return reason;
    QString text = Pick(english, "rejected: %1", "拒绝：%1").arg(reason);
    if ((row.verdict == TrafficVerdict::TooShort || row.verdict == TrafficVerdict::TooLong) &&
        !row.expected.isEmpty())
        text += Pick(english, " (%1 of %2 bytes)", "（%1 字节，应为 %2）")
                    .arg(row.bytes.size())
                    .arg(row.expected);
    return text;
}

QString Cell(const TrafficRow& row, int column, bool english) {
    switch (column) {
        case Time:
            return TimeOfDay(row.msOfDay);
        case Direction:
            return row.direction == TrafficRow::Sent ? Pick(english, "sent", "发送")
                                                     : Pick(english, "received", "接收");
        case Bytes:
            // A Modbus TCP frame under the RTU form the windows judge, as it went on the network.
            if (!row.wire.empty())
                return (row.bytes.empty() ? QString() : SpacedHex(row.bytes) + " | ") +
                       QStringLiteral("TCP ") + SpacedHex(row.wire);
            return SpacedHex(row.bytes);
        case Meaning:
            if (row.direction == TrafficRow::Received && row.bytes.empty())
                return row.verdict == TrafficVerdict::Abandoned
                           ? Pick(english, "no reply collected", "未收取应答")
                           : Pick(english, "nothing arrived within the wait", "等待期间未收到数据");
            return row.meaning;
        case Response:
            return row.responseMs < 0 ? QString() : QString::number(row.responseMs);
        case Crc:
            return row.crc == TrafficRow::CrcNone   ? QString()
                   : row.crc == TrafficRow::CrcGood ? Pick(english, "good", "正确")
                                                    : Pick(english, "bad", "错误");
        case Verdict:
            return VerdictText(row, english);
        case Cause:
            return row.cause;
        default:
            return QString();
    }
}

QString SummaryText(const TrafficSummary& s, bool english) {
    QString text =
        Pick(english, "Requests %1, accepted %2, rejected %3", "请求 %1，接受 %2，拒绝 %3")
            .arg(s.requests)
            .arg(s.accepted)
            .arg(s.rejected);
    QStringList reasons;
    for (int v = static_cast<int>(TrafficVerdict::NoReply);
         v < static_cast<int>(TrafficVerdict::Abandoned); ++v)
        if (s.byVerdict[v] > 0)
            reasons << QStringLiteral("%1 %2")
                           .arg(Reason(static_cast<TrafficVerdict>(v), english))
                           .arg(s.byVerdict[v]);
    if (!reasons.isEmpty())
        text += Pick(english, " (", "（") + reasons.join(Pick(english, ", ", "，")) +
                Pick(english, ")", "）");
    if (const int abandoned = s.byVerdict[static_cast<int>(TrafficVerdict::Abandoned)])
        text += Pick(english, "; abandoned %1", "；放弃 %1").arg(abandoned);
    if (s.staleRequests > 0)
        text += Pick(english, "; stale bytes before %1 requests", "；%1 次请求前有残留字节")
                    .arg(s.staleRequests);
    if (s.responses > 0)
        text += Pick(english, "; response min %1 / mean %2 / max %3 ms",
                     "；响应 最小 %1 / 平均 %2 / 最大 %3 ms")
                    .arg(s.minMs)
                    .arg(static_cast<double>(s.totalMs) / s.responses, 0, 'f', 1)
                    .arg(s.maxMs);
    return text;
}

QString UiText(Ui key, bool english) {
    switch (key) {
        case Title:
            return Pick(english, "Traffic - %1", "报文监视 - %1");
        case RejectedOnly:
            return Pick(english, "Rejected only", "仅显示被拒绝的");
        case Pause:
            return Pick(english, "Pause view", "暂停显示");
        case Clear:
            return Pick(english, "Clear", "清除");
        case Copy:
            return Pick(english, "Copy rows", "复制所选行");
        case SaveCsv:
            return Pick(english, "Save CSV...", "保存 CSV...");
        case Record:
            return Pick(english, "Record to file...", "记录到文件...");
        case CsvFiles:
            return Pick(english, "CSV files (*.csv)", "CSV 文件 (*.csv)");
        case RecordingTo:
            return Pick(english, "Recording to %1", "正在记录到 %1");
        case RecordingFailed:
            return Pick(english, "Recording stopped: %1 could not be written (%2)",
                        "记录已停止：无法写入 %1（%2）");
        case SaveFailed:
            return Pick(english, "Not saved: %1 (%2)", "未保存：%1（%2）");
        case Saved:
            return Pick(english, "Saved %1 rows to %2", "已保存 %1 行到 %2");
        case NewFile:
            return Pick(english, "New file:", "分割文件：");
        case RotateNever:
            return Pick(english, "Never", "不分割");
        case RotateMidnight:
            return Pick(english, "At midnight", "每天午夜");
        case RotateEveryMb:
            return Pick(english, "Every N MB", "每 N MB");
        case UiCount:
            break;
    }
    return QString();
}
}  // namespace TrafficTexts
