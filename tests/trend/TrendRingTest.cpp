// The trend's ring and the lines drawn from it, and the CSV lines of readings: plain logic.
#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>

#include "core/record/TrendCsv.h"
#include "core/record/TrendRing.h"
#include "tests/support/QStringPrinter.h"

namespace {
const double X = NAN;  // no value

// Segments as text: "t:v t:v | t:v", values as floats are kept.
QString Text(const std::vector<TrendSegment>& segments) {
    QStringList parts;
    for (const TrendSegment& segment : segments) {
        QStringList points;
        for (const QPointF& p : segment) points << QStringLiteral("%1:%2").arg(p.x()).arg(p.y());
        parts << points.join(' ');
    }
    return parts.join(QStringLiteral(" | "));
}
}  // namespace

TEST(TrendRing, LinesBreakAtGapsAndStopsStepAndDecimateByColumn) {
    struct Case {
        const char* what;
        std::vector<int64_t> times;
        std::vector<double> values;
        int64_t from, to;
        int columns;
        bool steps;
        const char* expected;
    };
    std::vector<int64_t> many;
    std::vector<double> sawtooth;
    for (int i = 0; i < 1000; ++i) many.push_back(i), sawtooth.push_back(i % 10);
    QStringList columns;  // per 100 ms column: its least (first) and greatest value
    for (int c = 0; c < 10; ++c)
        columns << QStringLiteral("%1:0 %2:9").arg(100 * c).arg(100 * c + 9);
    const std::string decimated = columns.join(' ').toStdString();
    std::vector<double> level(1000, 3.0);
    level[420] = 7;  // one reading off the level, in the fifth column
    // clang-format off
    const Case cases[] = {
        {"every sample when few, broken at a missing value",
         {0, 100, 200, 300, 400}, {1, 2, X, 4, 5}, 0, 1000, 100, false,
         "0:1 100:2 | 300:4 400:5"},
        {"a stopped poll is not bridged",
         {0, 100, 200, 5000, 5100}, {1, 2, 1, 2, 2}, 0, 6000, 100, false,
         "0:1 100:2 200:1 | 5000:2 5100:2"},
        {"a slower pace is still one line",
         {0, 1000, 2000, 4000, 6000}, {1, 2, 3, 4, 5}, 0, 7000, 100, false,
         "0:1 1000:2 2000:3 4000:4 6000:5"},
        {"a level stretch keeps its two ends",
         {0, 100, 200, 300, 400, 500}, {1, 1, 1, 1, 2, 2}, 0, 1000, 100, false,
         "0:1 300:1 400:2 500:2"},
        {"0/1 inputs rise and fall at the sample's time",
         {0, 100, 200, 300, 400}, {0, 1, 1, 0, 0}, 0, 1000, 100, true,
         "0:0 100:0 100:1 300:1 300:0 400:0"},
        {"one sample beyond each end of the view",
         {0, 100, 200, 300, 400}, {1, 2, 3, 4, 5}, 150, 250, 100, false,
         "100:2 200:3 300:4"},
        {"after the last sample: only it, for the line to enter by",
         {0, 100}, {1, 2}, 5000, 6000, 100, false,
         "100:2"},
        {"zoomed out: least and greatest per column",
         many, sawtooth, 0, 1000, 10, false,
         decimated.c_str()},
        {"zoomed out: a level column is one point",
         many, level, 0, 1000, 10, false,
         "0:3 400:3 420:7 500:3 900:3"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrendRing ring(2, 2000);
        for (size_t i = 0; i < c.times.size(); ++i) ring.Append(c.times[i], {c.values[i], 7});
        EXPECT_EQ(Text(ring.View(0, c.from, c.to, c.columns, c.steps)), c.expected);
    }
}

TEST(TrendRing, KeepsTheNewestSamplesInOrder) {
    TrendRing ring(1, 3);
    for (int64_t t : {10, 20, 30, 40, 35}) ring.Append(t, {static_cast<double>(t)});
    ASSERT_EQ(ring.Count(), 3);
    // The oldest went; a time set back is taken as the last one.
    EXPECT_EQ(Text(ring.View(0, 0, 100, 100, false)), "30:30 40:40 40:35");
    EXPECT_EQ(ring.FirstAtOrAfter(31), 1);
    EXPECT_EQ(ring.Nearest(0), 0);
    EXPECT_EQ(ring.Nearest(34), 0);
    EXPECT_EQ(ring.Nearest(36), 1);
    EXPECT_EQ(ring.Nearest(1000), 2);
    ring.Clear();
    EXPECT_EQ(ring.Nearest(10), -1);
}

TEST(TrendCsv, HeaderNamesUnitsAndLinesShowValuesAsThePanelDoes) {
    const std::vector<TrendChannel> channels = {
        {"DS1", "℃", 1, false}, {"AI_1", "mA", 2, false}, {"DI_01", "", 0, true}};
    EXPECT_EQ(TrendCsv::Header(channels, true),
              QByteArray("\xEF\xBB\xBF") + "Time,DS1 (℃),AI_1 (mA),DI_01\r\n");
    EXPECT_EQ(TrendCsv::Header(channels, false),
              QByteArray("\xEF\xBB\xBF") + "时间,DS1 (℃),AI_1 (mA),DI_01\r\n");
    const int64_t at = QDateTime(QDate(2026, 12, 7), QTime(13, 44, 10, 7)).toMSecsSinceEpoch();
    struct Case {
        std::vector<double> values;
        const char* line;
    };
    const Case cases[] = {
        {{25.3, 4.0, 1}, "2026-12-07T13:44:10.007,25.3,4.00,1\r\n"},
        {{X, 20.0 * 819 / 4095, 0}, "2026-12-07T13:44:10.007,,4.00,0\r\n"},
        {{-12.5, X, X}, "2026-12-07T13:44:10.007,-12.5,,\r\n"},
        {{-0.0, 0.0, X}, "2026-12-07T13:44:10.007,-0.0,0.00,\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(TrendCsv::Line(at, c.values, channels), c.line);
}
