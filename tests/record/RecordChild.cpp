// Records traffic into rotating files until it is killed: a request reading register n, then its
// reply, every millisecond, n counting up from 0, so the reader of the files can tell a lost row.
//   zn_record_child CHOSEN_PATH LIMIT_BYTES
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "core/protocol/Modbus.h"
#include "core/traffic/TrafficLog.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    TrafficLog& log = TrafficLog::Instance();
    QString error;
    const CsvRotation rotation{CsvRotation::Kind::Size, QByteArray(argv[2]).toLongLong()};
    if (!log.StartRecording(QString::fromLocal8Bit(argv[1]), &error, rotation)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int n = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        log.NoteRequest(AppendCrc16(ReadRequest(1, 0x03, n & 0xFFFF, 1)), 8, 0, {});
        const Frame reply = AppendCrc16(Frame{1, 0x03, 2, uint8_t(n >> 8), uint8_t(n)});
        log.NoteReply(reply, log.Now(), ReplyVerdict::Accepted, {7});
        ++n;
    });
    QObject::connect(&log, &TrafficLog::RecordingFailed, [](const QString& message) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        QCoreApplication::exit(1);
    });
    tick.start(1);
    return app.exec();
}
