// The traffic table paints only the rows that came, moving the rest of its picture, and what it
// shows is the page drawn whole: after rows came below, after as many left the top of a full log,
// and while the reader looks at older rows. A cell looks the same drawn or copied from a picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QStandardItemModel>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>

#include "core/protocol/Modbus.h"
#include "monitor/TrafficDelegate.h"
#include "core/traffic/TrafficLog.h"
#include "monitor/TrafficModel.h"
#include "monitor/TrafficMonitor.h"

namespace {
class PaintedArea : public QObject {
  public:
    QRegion painted;
    int paints = 0;
    void Reset() {
        painted = {};
        paints = 0;
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
            ++paints;
        }
        return false;
    }
};

// Waits for a paint, then lets every paint already asked for happen.
bool WaitForPaint(const PaintedArea& area) {
    QElapsedTimer waited;
    waited.start();
    while (area.paints == 0 && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int seen = -1; seen != area.paints;) {
        seen = area.paints;
        QApplication::processEvents();
    }
    return area.paints > 0;
}

// Polls answered with readings that change, so no two replies read alike; then, if asked, one
// request still waiting for its reply.
void AddExchanges(int count, bool waiting = false) {
    static int reading = 0;
    TrafficLog& log = TrafficLog::Instance();
    TrafficCause cause;
    cause.kind = TrafficCause::PollA;
    const Frame request = AppendCrc16(ReadRequest(1, 3, 0, 4));
    for (int i = 0; i < count; ++i, reading += 7) {
        const auto high = static_cast<uint8_t>(reading >> 8), low = static_cast<uint8_t>(reading);
        const Frame reply = AppendCrc16(Frame{1, 3, 8, high, low, 2, low, high, 9, 0, low});
        log.NoteRequest(request, static_cast<int>(request.size()), 0, cause);
        log.NoteReply(reply, log.Now(), ReplyVerdict::Accepted, {13});
    }
    if (waiting) log.NoteRequest(request, static_cast<int>(request.size()), 0, cause);
}

QImage OnScreen(QWidget& page) {
    QWidget* window = page.window();
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    return shot.copy(QRect(page.mapTo(window, QPoint()), page.size()))
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The first and last columns with ink, anything but the background.
std::pair<int, int> Ink(const QImage& image, QRgb background) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

QImage DrawnWhole(QWidget& page) {
    return page.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
}  // namespace

TEST(TrafficTable, NewRowsPaintAloneAndThePageIsTheOneDrawnWhole) {
    const struct {
        const char* name;
        int rowsBefore;
        bool readingOlder;
        int mostRowsPainted;  // 0: no bound, the page has room below its rows
    } cases[] = {
        {"a few rows, room below", 4, false, 0},
        {"a page and more, following", 80, false, 8},
        {"the ring full, following", TrafficLog::kCapacity, false, 7},
        {"the ring full, reading older rows", TrafficLog::kCapacity, true, 7},
    };
    TrafficLog& log = TrafficLog::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.Clear();
        AddExchanges(c.rowsBefore / 2);
        TrafficMonitor monitor;
        QTableView& table = *monitor.Table();
        PaintedArea area;
        table.viewport()->installEventFilter(&area);
        monitor.show();
        ASSERT_TRUE(WaitForPaint(area));
        if (c.readingOlder) {
            area.Reset();
            table.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
            ASSERT_TRUE(WaitForPaint(area));
        }
        const QImage before = OnScreen(*table.viewport());

        area.Reset();
        AddExchanges(3, true);  // an odd number of rows: the bands must not swap
        monitor.Model()->Flush();
        ASSERT_TRUE(WaitForPaint(area));
        if (c.mostRowsPainted > 0) {  // before drawing it whole, which paints it too
            EXPECT_LE(area.painted.boundingRect().height(),
                      c.mostRowsPainted * table.verticalHeader()->defaultSectionSize());
        }
        EXPECT_NE(OnScreen(*table.viewport()), before);
        EXPECT_EQ(OnScreen(*table.viewport()), DrawnWhole(*table.viewport()));
        EXPECT_EQ(table.verticalScrollBar()->value() == 0, c.readingOlder || c.rowsBefore < 10);
    }
}

TEST(TrafficTable, ACellLooksTheSameDrawnOrCopiedFromItsPicture) {
    TrafficLog& log = TrafficLog::Instance();
    log.Clear();
    AddExchanges(12);
    TrafficMonitor monitor;
    QTableView& table = *monitor.Table();
    table.selectRow(3);
    PaintedArea area;
    table.viewport()->installEventFilter(&area);
    monitor.show();
    ASSERT_TRUE(WaitForPaint(area));
    // The first sight drew the texts, the second keeps their pictures, the third copies them.
    const QImage drawn = OnScreen(*table.viewport());
    EXPECT_EQ(DrawnWhole(*table.viewport()), drawn);
    EXPECT_EQ(DrawnWhole(*table.viewport()), drawn);
}

TEST(TrafficTable, ACellIsLaidOutAsTheTextDrawnWhole) {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const struct {
        QString text;
        int width;
        QFont font;
    } cells[] = {
        {"17:37:54.895", 88, QApplication::font()},
        {"01 03 08 01 49 02 49 01 09 00 49 5A 3B", 250, fixed},
        {"01 03 08 01 49 02 49 01 09 00 49 5A 3B 01 03 08 01 49 02 49 01 09 00", 250, fixed},
        {QString::fromUtf8("地址 1，读保持寄存器，4 个寄存器，自 0 起：329 585 265 73"), 380,
         QApplication::font()},
        {QString::fromUtf8("地址 1，读保持寄存器，4 个寄存器，自 0 起：329 585 265 73"), 200,
         QApplication::font()},
        {"addr 1, Read Holding Registers, start 0, count 4", 150, QApplication::font()},
    };
    TrafficDelegate delegate;
    QStandardItemModel model(1, 1);
    for (const auto& cell : cells) {
        SCOPED_TRACE(cell.text.toStdString());
        model.setData(model.index(0, 0), cell.text, Qt::DisplayRole);
        model.setData(model.index(0, 0), cell.font, Qt::FontRole);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, cell.width, 20);
        option.font = cell.font;
        const QRgb base = option.palette.base().color().rgb();
        QImage pieces(option.rect.size(), QImage::Format_RGB32);
        QImage whole = pieces;
        for (int sight = 0; sight < 3; ++sight) {  // drawn, then kept, then copied
            QPainter painter(&pieces);
            delegate.paint(&painter, option, model.index(0, 0));
        }
        whole.fill(base);
        QPainter painter(&whole);
        painter.setFont(cell.font);
        painter.setPen(option.palette.text().color());
        const QRect area = option.rect.adjusted(3, 0, -3, 0);
        painter.drawText(
            area, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(cell.font).elidedText(cell.text, Qt::ElideRight, area.width()));
        const auto [first, last] = Ink(pieces, base);
        const auto [wholeFirst, wholeLast] = Ink(whole, base);
        EXPECT_NEAR(first, wholeFirst, 1);
        EXPECT_NEAR(last, wholeLast, 2);
    }
}
