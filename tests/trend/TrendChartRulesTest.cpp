// The plain rules a trend chart is drawn by: the colours of its lines, the lanes of 0/1 inputs
// and the time a following view spans.
#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <optional>

#include "tests/support/QStringPrinter.h"
#include "trend/TrendColors.h"
#include "trend/TrendLanes.h"
#include "trend/TrendSpan.h"

namespace {
// How far apart two colours look: RGB distance weighted by the eye's sensitivity ("redmean").
double Difference(const QColor& a, const QColor& b) {
    const double r = (a.red() + b.red()) / 2.0;
    const int dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
    return std::sqrt((2 + r / 256) * dr * dr + 4 * dg * dg + (2 + (255 - r) / 256) * db * db);
}

// Contrast of a colour against white (1: none, 21: black).
double ContrastOnWhite(const QColor& color) {
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
                             0.0722 * linear(color.blueF());
    return 1.05 / (luminance + 0.05);
}
}  // namespace

TEST(TrendChartRules, EveryLineHasAColourOfItsOwnSeenOnWhite) {
    struct Case {
        int count;
        double apart;  // the least difference between any two
    };
    // Up to twenty lines (a panel has sixteen at most) clearly apart; beyond, still all different.
    const Case cases[] = {{1, 100}, {4, 100}, {8, 100}, {11, 100}, {16, 100}, {20, 100}, {32, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const std::vector<QColor> colors = TrendColors(c.count);
        ASSERT_EQ(static_cast<int>(colors.size()), c.count);
        for (int i = 0; i < c.count; ++i) {
            EXPECT_GE(ContrastOnWhite(colors[i]), 2.0) << colors[i].name().toStdString();
            for (int j = i + 1; j < c.count; ++j)
                EXPECT_GE(Difference(colors[i], colors[j]), c.apart)
                    << i << ' ' << j << ' ' << colors[i].name().toStdString();
        }
    }
}

TEST(TrendChartRules, LanesStackInOrderEachWithRoomAroundItsLevels) {
    struct Case {
        int count;
        double top, height;
        const char* lanes;  // per lane "top-bottom 1@y 0@y"
    };
    const Case cases[] = {
        {0, 0, 100, ""},
        {1, 0, 100, "0-100 1@20 0@80"},
        {4, 10, 400,
         "10-110 1@30 0@90 | 110-210 1@130 0@190 | 210-310 1@230 0@290 | "
         "310-410 1@330 0@390"},
        {16, 20, 480, ""},  // sixteen inputs of a panel: only the general rules below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const std::vector<TrendLane> lanes = StackLanes(c.count, c.top, c.height);
        ASSERT_EQ(static_cast<int>(lanes.size()), c.count);
        QStringList text;
        for (const TrendLane& lane : lanes)
            text << QStringLiteral("%1-%2 1@%3 0@%4")
                        .arg(lane.top)
                        .arg(lane.bottom)
                        .arg(lane.high)
                        .arg(lane.low);
        if (c.count <= 4) EXPECT_EQ(text.join(QStringLiteral(" | ")), c.lanes);
        // Together they fill the band, in order, none over another, each its levels inside.
        double next = c.top;
        for (const TrendLane& lane : lanes) {
            EXPECT_DOUBLE_EQ(lane.top, next);
            EXPECT_DOUBLE_EQ(lane.bottom - lane.top, c.height / c.count);
            EXPECT_GT(lane.high, lane.top);
            EXPECT_GT(lane.low, lane.high + (lane.bottom - lane.top) / 2);
            EXPECT_LT(lane.low, lane.bottom);
            next = lane.bottom;
        }
        if (c.count > 0) EXPECT_DOUBLE_EQ(next, c.top + c.height);
    }
}

TEST(TrendChartRules, AYoungTrendIsSpannedWholeUntilTenMinutesHavePassed) {
    constexpr int64_t kSecond = 1000, kMinute = 60 * kSecond, kNow = 1'800'000'000'000;
    struct Case {
        const char* what;
        int64_t chosen;
        std::optional<int64_t> age;  // of the first reading; none: no readings
        int64_t span;
    };
    const Case cases[] = {
        {"no readings: the last ten minutes", 10 * kMinute, std::nullopt, 10 * kMinute},
        {"a first reading now: ten seconds", 10 * kMinute, 0, 10 * kSecond},
        {"five seconds old: ten seconds", 10 * kMinute, 5 * kSecond, 10 * kSecond},
        {"three minutes old: all three", 10 * kMinute, 3 * kMinute, 3 * kMinute},
        {"ten minutes old: the last ten", 10 * kMinute, 10 * kMinute, 10 * kMinute},
        {"an hour old: the last ten minutes", 10 * kMinute, 60 * kMinute, 10 * kMinute},
        {"zoomed in: as chosen", 2 * kMinute, kMinute, 2 * kMinute},
        {"zoomed out: as chosen", 20 * kMinute, 3 * kMinute, 20 * kMinute},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<int64_t> first =
            c.age ? std::optional<int64_t>(kNow - *c.age) : std::nullopt;
        EXPECT_EQ(TrendSpan::Following(c.chosen, first, kNow), c.span);
    }
}
