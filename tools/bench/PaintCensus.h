#pragma once
// Counts, for the whole application, the paint and layout events each widget receives, so a
// benchmark can say what a poll cycle repaints beside what it costs.
#include <QMap>
#include <QObject>
#include <QString>

class PaintCensus : public QObject {
  public:
    PaintCensus();
    void Start() { counting_ = true; }
    void Stop() { counting_ = false; }
    // "paints N layouts M", then the most painted widgets with their counts per cycle.
    QString Report(int cycles, int top = 12) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool counting_ = false;
    int paints_ = 0;
    int layouts_ = 0;
    QMap<QString, int> perWidget_;
};
