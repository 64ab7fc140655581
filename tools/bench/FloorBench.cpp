// What the screen alone costs: a bare window whose two boxes change at a poll cycle's moments
// (cleared at the send, filled 100 ms later at the reply, sent again 100 ms after that), with no
// line and no decoding. The same two changes are the least a work window must show each cycle.
// The cheapest change Qt can show is a widget that fills itself with a colour; the floor of all.
#include "tools/bench/FloorBench.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>

#include "tools/bench/BenchWindow.h"

namespace {
class Swatch : public QWidget {
  public:
    explicit Swatch(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(360, 24);
    }
    void Flip() {
        on_ = !on_;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), on_ ? Qt::white : Qt::lightGray);
    }

  private:
    bool on_ = false;
};
}  // namespace

int Floor(int cycles, FloorChange change) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QLineEdit* boxes[] = {new QLineEdit(&window), new QLineEdit(&window)};
    Swatch* swatches[] = {new Swatch(&window), new Swatch(&window)};
    for (int k = 0; k < 2; ++k) {
        boxes[k]->setReadOnly(true);
        boxes[k]->setMinimumWidth(360);
        layout->addWidget(boxes[k]);
        layout->addWidget(swatches[k]);
    }
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);

    const QString texts[] = {QStringLiteral("01 03 08 02 E9 03 09 03 24 03 43 B1 BC "),
                             QStringLiteral("Communication data normal！")};
    int moment = 0;  // even: a send, odd: a reply
    double cpuStart = 0;
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, &window, [&] {
        if (moment == 20) cpuStart = CpuMs();  // after the warm-up
        if (moment == 20 + 2 * cycles) {
            const char* names[] = {"timers_only", "two_fills", "two_boxes"};
            std::printf("floor_%s_cpu_ms_per_cycle %.3f\n", names[static_cast<int>(change)],
                        (CpuMs() - cpuStart) / cycles);
            QApplication::quit();
            return;
        }
        const bool reply = moment % 2 == 1;
        for (int k = 0; k < 2; ++k) {
            if (change == FloorChange::Boxes) boxes[k]->setText(reply ? texts[k] : QString());
            if (change == FloorChange::Fills) swatches[k]->Flip();
        }
        ++moment;
    });
    timer.start();
    QApplication::exec();
    return 0;
}
