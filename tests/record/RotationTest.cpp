// Recordings that last for days: files rotate at a size or at midnight to dated names, each a whole
// CSV with its header, no row lost or split at the switch; a program killed mid-recording leaves
// every file a valid CSV.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "core/scan/BatchLog.h"
#include "core/record/RotatingCsv.h"
#include "core/traffic/TrafficTexts.h"

namespace {
const QByteArray kBom = "\xEF\xBB\xBF";

QDateTime At(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

// Row `n` padded to `bytes` with its CR LF.
QByteArray Row(int n, int bytes) {
    QByteArray line = QByteArray::number(n) + ',';
    line += QByteArray(bytes - line.size() - 2, 'x');
    return line + "\r\n";
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fields of CSV lines (quoted fields with commas and doubled quotes), one list per line; a
// last line without its CR LF is reported through `whole`.
std::vector<QStringList> ParseCsv(const QByteArray& bytes, bool* whole) {
    std::vector<QStringList> lines;
    QStringList fields;
    QByteArray field;
    bool quoted = false;
    *whole = true;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            fields << QString::fromUtf8(field);
            lines.push_back(fields);
            fields.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !fields.isEmpty()) *whole = false;
    return lines;
}
}  // namespace

TEST(Rotation, FilesStartWhereTheChoiceSaysEachWholeWithItsHeader) {
    struct Step {
        const char* at;
        int bytes;  // the row's size with its CR LF
    };
    const struct {
        const char* what;
        CsvRotation rotation;
        QString chosen;                                 // below the test folder
        QStringList existing;                           // files already there, left alone
        std::vector<Step> steps;                        // row n is steps[n]
        std::map<std::string, std::vector<int>> files;  // every file in the folder, with its rows
    } cases[] = {
        {"never: the chosen file itself, across midnight",
         CsvRotation::Never(),
         "traffic.csv",
         {},
         {{"2026-12-08T23:59:59", 20}, {"2026-12-09T00:00:01", 20}},
         {{"traffic.csv", {0, 1}}}},
        {"a size limit reached exactly, then crossed within one second, then later",
         {CsvRotation::Kind::Size, 100},  // the header is 10 bytes
         "traffic.csv",
         {},
         {{"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:03:00", 30},
          {"2026-12-08T14:05:09", 30},
          {"2026-12-08T14:05:09", 30},
          {"2026-12-08T14:05:10", 30}},
         {{"traffic_2026-12-08_14-03-00.csv", {0, 1, 2}},
          {"traffic_2026-12-08_14-03-00_002.csv", {3, 4, 5}},
          {"traffic_2026-12-08_14-03-00_003.csv", {6, 7, 8}},
          {"traffic_2026-12-08_14-05-10.csv", {9}}}},
        {"a name another recording took this second, and a row longer than the limit",
         {CsvRotation::Kind::Size, 50},
         "trend.csv",
         {"trend_2026-12-08_09-00-00.csv"},
         {{"2026-12-08T09:00:00", 30}, {"2026-12-08T09:00:00", 80}, {"2026-12-08T09:00:01", 20}},
         {{"trend_2026-12-08_09-00-00.csv", {}},
          {"trend_2026-12-08_09-00-00_002.csv", {0}},
          {"trend_2026-12-08_09-00-00_003.csv", {1}},
          {"trend_2026-12-08_09-00-01.csv", {2}}}},
        {"midnight, local time, days apart; a name without .csv in a dotted folder",
         CsvRotation::AtMidnight(),
         "run.d/log",
         {},
         {{"2026-12-08T23:59:58", 20},
          {"2026-12-08T23:59:59.999", 20},
          {"2026-12-09T00:00:00", 20},
          {"2026-12-09T23:00:00", 20},
          {"2026-12-11T08:00:00", 20}},
         {{"run.d/log_2026-12-08_23-59-58.csv", {0, 1}},
          {"run.d/log_2026-12-09_00-00-00.csv", {2, 3}},
          {"run.d/log_2026-12-11_08-00-00.csv", {4}}}},
    };
    const QByteArray header = Csv::Header({"n", "pad"});
    ASSERT_EQ(header.size(), 10);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("run.d");
        for (const QString& name : c.existing) {
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("theirs\r\n");
        }
        QDateTime now = At(c.steps.front().at);
        RotatingCsv csv;
        csv.SetClock([&now] { return now; });
        QString error;
        ASSERT_TRUE(csv.Open(dir.filePath(c.chosen), header, c.rotation, &error))
            << error.toStdString();
        for (size_t n = 0; n < c.steps.size(); ++n) {
            now = At(c.steps[n].at);
            ASSERT_TRUE(csv.Append(Row(int(n), c.steps[n].bytes), &error)) << error.toStdString();
        }
        csv.Close();

        std::map<std::string, std::vector<int>> found;
        QDir folder(dir.path());
        QStringList names = folder.entryList(QDir::Files);
        for (const QString& name : QDir(dir.filePath("run.d")).entryList(QDir::Files))
            names << "run.d/" + name;
        for (const QString& name : names) {
            const QByteArray bytes = Read(dir.filePath(name));
            if (c.existing.contains(name)) {
                EXPECT_EQ(bytes, "theirs\r\n") << name.toStdString();
                found[name.toStdString()] = {};
                continue;
            }
            ASSERT_TRUE(bytes.startsWith(header)) << name.toStdString();
            std::vector<int>& rows = found[name.toStdString()];
            for (const QByteArray& line : bytes.mid(header.size()).split('\n')) {
                if (line.isEmpty()) continue;
                const int n = line.left(line.indexOf(',')).toInt();
                EXPECT_EQ(line + '\n', Row(n, c.steps[n].bytes))
                    << "row split in " << name.toStdString();
                rows.push_back(n);
            }
            // Over the limit only with a single row too long for any file.
            if (c.rotation.kind == CsvRotation::Kind::Size && rows.size() > 1) {
                EXPECT_LE(bytes.size(), c.rotation.bytes) << name.toStdString();
            }
        }
        EXPECT_EQ(found, c.files);
    }
}

TEST(Rotation, FilesOfOneSecondSortByNameInTheOrderTheyWereMadeAndOneNotMadeIsNamed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime now = At("2026-12-08T14:03:00");
    RotatingCsv csv;
    csv.SetClock([&now] { return now; });
    QString error;
    // Each row fills a file: twelve files within one second.
    ASSERT_TRUE(csv.Open(dir.filePath("fast.csv"), Csv::Header({"n", "pad"}),
                         {CsvRotation::Kind::Size, 40}, &error));
    for (int n = 0; n < 12; ++n) ASSERT_TRUE(csv.Append(Row(n, 30), &error)) << error.toStdString();
    csv.Close();
    const QStringList names = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 12);
    // A file that cannot be made is named, for the message that says so.
    RotatingCsv nowhere;
    EXPECT_FALSE(nowhere.Open(dir.filePath("gone/rec.csv"), "h\r\n", {}, &error));
    EXPECT_EQ(nowhere.Path(), dir.filePath("gone/rec.csv"));
    EXPECT_EQ(names[1], "fast_2026-12-08_14-03-00_002.csv");
    for (int n = 0; n < names.size(); ++n) {
        const QByteArray row = Read(dir.filePath(names[n])).split('\n').value(1);
        EXPECT_EQ(row.left(row.indexOf(',')).toInt(), n) << names[n].toStdString();
    }
}

// The batch log opens its file for each row, so it follows the rows' own times; the chosen file
// is appended to as before when it never rotates.
TEST(Rotation, TheBatchLogGoesOnInTheFileItsRowsTimeAndSizeSay) {
    const struct {
        const char* what;
        CsvRotation rotation;
        const char* start;
        std::vector<const char*> rows;  // row n gives address n its time
        std::map<std::string, std::vector<int>> files;
    } cases[] = {
        {"never: an earlier run's log goes on",
         CsvRotation::Never(),
         "2026-12-08T17:00:00",
         {"2026-12-08T17:01:00", "2026-12-09T00:00:01"},
         {{"commissioning.csv", {-1, 0, 1}}}},
        {"at midnight, by the rows' times",
         CsvRotation::AtMidnight(),
         "2026-12-08T17:00:00",
         {"2026-12-08T17:01:00", "2026-12-08T23:59:59", "2026-12-09T00:00:03"},
         {{"commissioning.csv", {-1}},
          {"commissioning_2026-12-08_17-00-00.csv", {0, 1}},
          {"commissioning_2026-12-09_00-00-03.csv", {2}}}},
        {"a size no two rows fit in",
         {CsvRotation::Kind::Size, 1},
         "2026-12-08T09:00:00",
         {"2026-12-08T09:00:00", "2026-12-08T09:00:00", "2026-12-08T09:00:01"},
         {{"commissioning.csv", {-1}},
          {"commissioning_2026-12-08_09-00-00.csv", {0}},
          {"commissioning_2026-12-08_09-00-00_002.csv", {1}},
          {"commissioning_2026-12-08_09-00-01.csv", {2}}}},
    };
    const QByteArray header = Csv::Header(BatchLog::Columns());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        // An earlier run's log, without the BOM older versions left out: row -1.
        QFile earlier(dir.filePath("commissioning.csv"));
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write(header.mid(kBom.size()) +
                      "x,ZN210,1,\"9600,N,8,1\",-1,\"9600,N,8,1\",yes,\r\n");
        earlier.close();
        BatchLogFile log;
        QString error;
        ASSERT_TRUE(log.Start(dir.filePath("commissioning.csv"), c.rotation, At(c.start), &error));
        for (size_t n = 0; n < c.rows.size(); ++n) {
            BatchRecord record{"ZN220", 1, {9600, 'N'}, int(n), {19200, 'E'}, true, {}};
            ASSERT_TRUE(log.Append(record, At(c.rows[n]), &error)) << error.toStdString();
        }
        std::map<std::string, std::vector<int>> found;
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
            const QByteArray bytes = Read(dir.filePath(name));
            const bool earlierLog = name == "commissioning.csv";
            EXPECT_TRUE(bytes.startsWith(earlierLog ? header.mid(kBom.size()) : header));
            bool whole = false;
            const std::vector<QStringList> lines = ParseCsv(bytes, &whole);
            EXPECT_TRUE(whole);
            std::vector<int>& rows = found[name.toStdString()];
            for (size_t i = 1; i < lines.size(); ++i) {
                ASSERT_EQ(lines[i].size(), 8);
                rows.push_back(lines[i][4].toInt());
            }
        }
        EXPECT_EQ(found, c.files);
    }
}

// A recording killed at any moment: every file a valid CSV (its BOM and header, whole lines of
// every column), and across the files every request from the first to the last, once each.
TEST(Rotation, AKilledRecordingLeavesEveryFileValid) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(RECORD_CHILD, {dir.filePath("traffic.csv"), "16384"});
    ASSERT_TRUE(child.waitForStarted());
    // Three files started and a row in the third: the switches happened with rows coming.
    const auto filesNow = [&] {
        return QDir(dir.path()).entryList({"traffic_*.csv"}, QDir::Files);
    };
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QStringList files = filesNow();
        if (files.size() >= 3 && Read(dir.filePath(files.last())).count('\n') > 1) break;
        ASSERT_EQ(child.state(), QProcess::Running) << "the recorder ended by itself";
        ASSERT_LT(waited.elapsed(), 60000) << "no third file";
        QThread::msleep(5);
    }
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());

    const QStringList columns = TrafficTexts::ColumnNames(false);
    std::vector<int> requests;
    for (const QString& name : filesNow()) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(QRegularExpression(R"(^traffic_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d(_\d+)?\.csv$)")
                        .match(name)
                        .hasMatch());
        const QByteArray bytes = Read(dir.filePath(name));
        ASSERT_TRUE(bytes.startsWith(kBom));
        bool whole = false;
        const std::vector<QStringList> lines = ParseCsv(bytes.mid(kBom.size()), &whole);
        EXPECT_TRUE(whole) << "a line cut short";
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), columns);
        for (size_t i = 1; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i].size(), columns.size()) << "line " << i;
            const QStringList hex = lines[i][TrafficTexts::Bytes].split(' ');
            if (hex.size() == 8)
                requests.push_back(hex[2].toInt(nullptr, 16) * 256 + hex[3].toInt(nullptr, 16));
        }
    }
    std::sort(requests.begin(), requests.end());
    ASSERT_FALSE(requests.empty());
    for (size_t i = 0; i < requests.size(); ++i) ASSERT_EQ(requests[i], int(i)) << "lost or twice";
}
