// A changed reading repaints the reading alone, never the group frame and title behind it, and
// looks exactly as a reading drawn the ordinary way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "tests/support/EventCounter.h"
#include "workwindow/Readout.h"

namespace {
QImage Look(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}
}  // namespace

TEST(Readout, AChangedReadingRepaintsItselfAloneAndLooksAsDrawnOrdinarily) {
    const struct {
        QString text;
        QColor colour;
    } readings[] = {
        {QStringLiteral("25.3℃"), Qt::white},
        {QStringLiteral("No Sensor"), Qt::white},
        {QStringLiteral("12.004mA"), QColor(0, 255, 0)},
        {QString(), QColor(0, 255, 0)},
    };
    for (const auto& reading : readings) {
        SCOPED_TRACE(reading.text.toStdString());
        QGroupBox group(QStringLiteral("测量值 Readings"));
        auto* layout = new QVBoxLayout(&group);
        QLabel* readout = MakeReadout("AI_SHOW(0)", reading.colour, 130, &group);
        layout->addWidget(readout);
        readout->setText(QStringLiteral("0.0"));
        group.show();
        QApplication::processEvents();

        EventCounter groupPaints(QEvent::Paint), readoutPaints(QEvent::Paint);
        group.installEventFilter(&groupPaints);
        readout->installEventFilter(&readoutPaints);
        readout->setText(reading.text);
        ASSERT_TRUE(readoutPaints.WaitForOne());
        EXPECT_EQ(groupPaints.count, 0);

        const QImage drawn = Look(group);
        readout->setAttribute(Qt::WA_OpaquePaintEvent, false);
        const QImage ordinary = Look(group);
        EXPECT_EQ(drawn, ordinary);
    }
}

// A new reading relays out the window only when the readout needs another size; it still grows
// to show a longer text whole, and a hidden readout still gives its room to the others.
TEST(Readout, ANewReadingRelaysOutTheWindowOnlyWhenItsSizeMoves) {
    const struct {
        QString from, to;
        bool relaid;
    } changes[] = {
        {QStringLiteral("12.34mA"), QStringLiteral("56.78mA"), false},
        {QStringLiteral("12.34mA"), QStringLiteral("12.34mA  (over range, check the wiring)"),
         true},
        {QStringLiteral("25.3℃"), QStringLiteral("No Sensor"), true},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.to.toStdString());
        QGroupBox group(QStringLiteral("Readings"));
        auto* layout = new QVBoxLayout(&group);
        QLabel* first = MakeReadout("AI_SHOW(0)", Qt::white, 60, &group);
        QLabel* second = MakeReadout("AI_SHOW(1)", Qt::white, 60, &group);
        for (QLabel* readout : {first, second}) {
            auto* row = new QHBoxLayout;  // room to the right: a readout takes its wish
            row->addWidget(readout);
            row->addStretch(1);
            layout->addLayout(row);
        }
        first->setText(change.from);
        second->setText(QStringLiteral("0.0"));
        group.resize(640, 120);
        group.show();
        QApplication::processEvents();
        const QPoint firstAt = first->mapTo(&group, QPoint());

        EventCounter requests(QEvent::LayoutRequest);
        group.installEventFilter(&requests);
        first->setText(change.to);
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(requests.count > 0, change.relaid);
        EXPECT_EQ(first->text(), change.to);
        EXPECT_EQ(first->width(), first->sizeHint().width());
        EXPECT_EQ(first->findChild<QLabel*>(), nullptr);
        EXPECT_EQ(group.findChild<QLabel*>("AI_SHOW(0)"), first);

        first->hide();
        QApplication::processEvents();
        EXPECT_EQ(second->mapTo(&group, QPoint()), firstAt);
    }
    // Hidden before its window is first shown, it stays hidden.
    QGroupBox group;
    auto* layout = new QVBoxLayout(&group);
    QLabel* hidden = MakeReadout("AI_SHOW(0)", Qt::white, 60, &group);
    layout->addWidget(hidden);
    hidden->hide();
    group.show();
    QApplication::processEvents();
    EXPECT_FALSE(hidden->isVisible());
    hidden->show();
    QApplication::processEvents();
    EXPECT_TRUE(hidden->isVisible());
}
