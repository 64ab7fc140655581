// A changed reading repaints the reading alone, never the group frame and title behind it, and
// looks exactly as a reading drawn the ordinary way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QVBoxLayout>

#include "windows/analog/Readout.h"

namespace {
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

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

        PaintCounter groupPaints, readoutPaints;
        group.installEventFilter(&groupPaints);
        readout->installEventFilter(&readoutPaints);
        readout->setText(reading.text);
        QElapsedTimer waited;
        waited.start();
        while (readoutPaints.paints == 0 && waited.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_GT(readoutPaints.paints, 0);
        EXPECT_EQ(groupPaints.paints, 0);

        const QImage drawn = Look(group);
        readout->setAttribute(Qt::WA_OpaquePaintEvent, false);
        const QImage ordinary = Look(group);
        EXPECT_EQ(drawn, ordinary);
    }
}
