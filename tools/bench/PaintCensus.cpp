#include "tools/bench/PaintCensus.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <vector>

PaintCensus::PaintCensus() {
    qApp->installEventFilter(this);
}

bool PaintCensus::eventFilter(QObject* watched, QEvent* event) {
    if (!counting_ || !watched->isWidgetType()) return false;
    if (event->type() == QEvent::Paint) {
        ++paints_;
        // Named by its window too: the same name can be in the work window and the monitor.
        const auto nameOf = [](const QObject* object) {
            return object->objectName().isEmpty() ? QString(object->metaObject()->className())
                                                  : object->objectName();
        };
        ++perWidget_[nameOf(static_cast<QWidget*>(watched)->window()) + '/' + nameOf(watched)];
    } else if (event->type() == QEvent::LayoutRequest) {
        ++layouts_;
    }
    return false;
}

QString PaintCensus::Report(int cycles, int top) const {
    const double n = std::max(cycles, 1);
    QString text = QString("paints_per_cycle %1\nlayout_requests_per_cycle %2\n")
                       .arg(paints_ / n, 0, 'f', 2)
                       .arg(layouts_ / n, 0, 'f', 2);
    std::vector<std::pair<int, QString>> counts;
    for (auto it = perWidget_.begin(); it != perWidget_.end(); ++it)
        counts.emplace_back(it.value(), it.key());
    std::sort(counts.rbegin(), counts.rend());
    for (int i = 0; i < std::min<int>(top, counts.size()); ++i)
        text +=
            QString("  painted %1 %2\n").arg(counts[i].first / n, 0, 'f', 2).arg(counts[i].second);
    return text;
}
