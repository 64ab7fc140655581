#pragma once
// Counts the events of one type an object it watches receives, and waits for the first of them.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

class EventCounter : public QObject {
  public:
    explicit EventCounter(QEvent::Type type) : type_(type) {}

    // Lets events happen until one was counted, for ten seconds at most.
    bool WaitForOne() {
        QElapsedTimer waited;
        waited.start();
        while (count == 0 && waited.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return count > 0;
    }

    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) ++count;
        return false;
    }

  private:
    QEvent::Type type_;
};
